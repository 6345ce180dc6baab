#include "reading_stop.hpp"

#include "format_value.hpp"
#include "number_scan.hpp"

#include <cstdint>
#include <string_view>

namespace torvane {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The numbers of dimension + "\n" + data, read as the engine reads "mat.data", without
// joining two texts that may be large. No number can span the line feed between them.
class box_reader {
public:
    box_reader(std::string_view dimension, std::string_view data) : pieces_{dimension, data} {}

    template <class T> bool read(bool (*scan)(const char*&, const char*, T&), T& value)
    {
        skip_blanks();
        const std::string_view piece = pieces_[piece_];
        const char* pos = piece.data() + pos_;
        const bool ok = scan(pos, piece.data() + piece.size(), value);
        pos_ = static_cast<std::size_t>(pos - piece.data());
        return ok;
    }
    // Where the next number starts: the piece (0 dimension, 1 data) and the offset in it.
    std::size_t piece() { skip_blanks(); return piece_; }
    std::size_t offset() { skip_blanks(); return pos_; }

private:
    void skip_blanks()
    {
        for (;;) {
            const std::string_view piece = pieces_[piece_];
            while (pos_ < piece.size() && is_blank(piece[pos_]))
                ++pos_;
            if (pos_ < piece.size() || piece_ == 1)
                return;
            piece_ = 1;
            pos_ = 0;
        }
    }

    std::string_view pieces_[2];
    std::size_t piece_ = 0;
    std::size_t pos_ = 0;
};

// A few characters from `at`, up to the end of the line, enough to find the place.
std::string excerpt(std::string_view text, std::size_t at)
{
    std::size_t end = at;
    while (end < text.size() && end - at < 12 && text[end] != '\n' && text[end] != '\r')
        ++end;
    // Not in the middle of a UTF-8 sequence.
    while (end > at + 1 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    std::string shown(text.substr(at, end - at));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    return "'" + shown + "'";
}

std::string place_of(std::size_t piece, std::size_t at, std::string_view dimension, std::string_view data)
{
    if (piece == 0)
        return "at " + excerpt(dimension, at) + " in the dimension text";
    if (at >= data.size())
        return "at the end of the data";
    return "at " + excerpt(data, at) + " in the data text (character " + std::to_string(at + 1) + ")";
}

std::string entries(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " entry" : " entries"); }

} // namespace

std::string reading_stop_note(const std::string& dimension, const std::string& data)
{
    box_reader reader(dimension, data);
    std::int32_t n = 0;
    if (!reader.read(scan_int, n) || n <= 0)
        return {};
    const std::uint64_t wanted = std::uint64_t(n) * std::uint64_t(n);
    std::uint64_t read = 0;
    float last = 0.0f;  // the engine's value for an entry before any was read
    std::size_t piece = 0, at = 0;
    for (; read < wanted; ++read) {
        piece = reader.piece();
        at = reader.offset();
        if (!reader.read(scan_float, last))
            break;
    }
    if (read == wanted)
        return {};
    char value[max_value_chars + value_scratch_chars];
    const std::string last_text(value, format_value(last, value));
    const std::uint64_t missing = wanted - read;
    const std::string rest =
        read == 0 ? (missing == 1 ? "so the entry is 0" : "so all " + entries(missing) + " are 0")
                  : "so the other " + entries(missing) + (missing == 1 ? " repeats" : " repeat") +
                        " the last value read, " + last_text;
    return "reading stopped " + place_of(piece, at, dimension, data) + " after " + std::to_string(read) + " of " +
           entries(wanted) + ", " + rest;
}

} // namespace torvane
