#include "reading_stop.hpp"

#include "format_value.hpp"
#include "gbk.hpp"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace torvane {
namespace {

using source = text_origin::source;

// A place in one of the two texts: which one (0 dimension, 1 data) and the byte in it.
struct text_at {
    int piece = 0;
    std::size_t at = 0;
};

// The run saves dimension + "\n" + data and reads that back; the reading names a place
// in it by line feeds and bytes, which this finds in the texts themselves.
text_at locate(const text_place& place, const input_texts& texts)
{
    const std::string_view pieces[2] = {texts.dimension, texts.data};
    std::uint64_t line = 0;
    std::size_t base = 0;  // where the current piece starts in the saved text
    std::size_t line_start = 0;
    for (int piece = 0; piece < 2 && line < place.line; ++piece) {
        for (std::size_t i = 0; i < pieces[piece].size() && line < place.line; ++i)
            if (pieces[piece][i] == '\n') {
                ++line;
                line_start = base + i + 1;
            }
        if (piece == 0 && line < place.line) {  // the line feed between the texts
            ++line;
            line_start = base + pieces[0].size() + 1;
        }
        base += pieces[piece].size() + 1;
    }
    const std::size_t saved = line_start + static_cast<std::size_t>(place.byte);
    if (saved < texts.dimension.size())
        return {0, saved};
    return {1, saved - std::min(saved, texts.dimension.size() + 1)};
}

// Line and column as a person counts them: CR LF, LF and a lone CR each end a line, and a
// column is a character (a UTF-8 sequence is one, and so is a GBK pair in GBK texts).
struct line_and_column {
    std::uint64_t line = 1;
    std::uint64_t column = 1;
};

line_and_column person_position(std::initializer_list<std::string_view> pieces, std::size_t at, bool gbk)
{
    line_and_column position;
    char previous = '\0';
    bool trail = false;  // the second byte of a GBK pair
    for (const std::string_view piece : pieces)
        for (std::size_t i = 0; i < piece.size() && at > 0; ++i, --at) {
            const char c = piece[i];
            const bool continues = gbk ? trail : (static_cast<unsigned char>(c) & 0xC0) == 0x80;
            trail = gbk && !trail && is_gbk_lead(c);
            if (c == '\n' || c == '\r') {
                if (c == '\r' || previous != '\r') {  // the LF of a CR LF ends no second line
                    ++position.line;
                    position.column = 1;
                }
            } else if (!continues) {
                ++position.column;
            }
            previous = c;
        }
    return position;
}

std::string file_name(const text_origin& origin, const char* kind)
{
    return origin.file == "-" ? "standard input" : std::string(kind) + "'" + origin.file + "'";
}

std::string data_source(const text_origin& origin)
{
    switch (origin.data) {
    case source::command_line:
        return "the data text";
    case source::data_file:
        return file_name(origin, "the data file ");
    case source::standard_input:
        return "standard input";
    case source::matrix_file:
        break;
    }
    return file_name(origin, "");
}

// A few characters from `at`, up to the end of the line, enough to find the place.
std::string excerpt(std::string_view text, std::size_t at, bool gbk)
{
    std::size_t end = at;
    while (end < text.size() && end - at < 12 && text[end] != '\n' && text[end] != '\r')
        end += gbk && is_gbk_lead(text[end]) && end + 1 < text.size() ? 2 : 1;  // not half a GBK pair
    // Not in the middle of a UTF-8 sequence.
    while (!gbk && end > at + 1 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    std::string shown(text.substr(at, end - at));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    return "'" + shown + "'";
}

// "in the dimension text", "in the data text (character 7)", "on line 3, column 2 of 'm.txt'".
std::string where(text_at place, const input_texts& texts)
{
    const text_origin& origin = texts.origin;
    line_and_column p;
    if (origin.data == source::matrix_file) {
        const std::string_view gap = origin.line_feed_between ? "\n" : "";
        const std::size_t at = place.piece == 0 ? place.at : texts.dimension.size() + gap.size() + place.at;
        p = person_position({texts.dimension, gap, texts.data}, at, origin.gbk);
    } else if (place.piece == 0) {
        return "in the dimension text";
    } else {
        p = person_position({texts.data}, place.at, origin.gbk);
    }
    const std::string line = "line " + std::to_string(p.line) + ", column " + std::to_string(p.column);
    if (origin.data != source::command_line)
        return "on " + line + " of " + data_source(origin);
    return p.line == 1 ? "in the data text (character " + std::to_string(p.column) + ")"
                       : "in the data text (" + line + ")";
}

std::string place_of(const extraction_stop& stop, const input_texts& texts, const char* too_large)
{
    const text_at place = locate(stop.where, texts);
    const std::string_view text = place.piece == 0 ? texts.dimension : texts.data;
    if (place.piece == 1 && place.at >= text.size())
        return "at the end of " + (texts.origin.data == source::command_line ? std::string("the data")
                                                                              : data_source(texts.origin));
    return "at " + excerpt(text, place.at, texts.origin.gbk) +
           (stop.why == extraction_stop::cause::out_of_range ? std::string(", ") + too_large + "," : "") + " " +
           where(place, texts);
}

std::string entries(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " entry" : " entries"); }

// "the dimension and data texts are empty", "the dimension text and standard input are empty".
std::string both_texts(const text_origin& origin, const char* are)
{
    return (origin.data == source::command_line ? std::string("the dimension and data texts")
                                                : "the dimension text and " + data_source(origin)) +
           " " + are;
}

std::string first_word(std::string_view text, bool gbk)
{
    const std::size_t start = std::min(text.find_first_not_of(" \t\n\v\f\r"), text.size());
    return excerpt(text, start, gbk);
}

} // namespace

std::string no_order_reason(const matrix_reading& reading, const input_texts& texts)
{
    const text_origin& origin = texts.origin;
    const bool from_file = origin.data == source::matrix_file;
    // An empty dimension text leaves "mat.data" empty, and an empty data text leaves it unread.
    if (texts.dimension.empty() && texts.data.empty())
        return from_file ? data_source(origin) + " is empty" : both_texts(origin, "are empty");
    if (texts.dimension.empty())
        return from_file ? "line 1 of " + data_source(origin) + ", which gives the order, is empty"
                         : "the dimension text is empty";
    const order_reading& order = reading.order;
    if (order.stop.why == extraction_stop::cause::not_open)
        return from_file ? data_source(origin) + " holds only " + first_word(texts.dimension, origin.gbk) + ", no entries"
                         : data_source(origin) + " is empty";
    if (order.read)
        return "the order read " + place_of({extraction_stop::cause::none, order.place}, texts, "") + " is " +
               std::to_string(order.order) + ", not a positive N";
    switch (order.stop.why) {
    case extraction_stop::cause::end_of_text:
        return from_file ? data_source(origin) + " holds no number" : both_texts(origin, "hold no number");
    case extraction_stop::cause::out_of_range:
        return "the order read " + place_of({extraction_stop::cause::none, order.stop.where}, texts, "") +
               " is beyond a 32-bit integer";
    default:
        break;
    }
    return "no order N could be read: reading stopped " + place_of(order.stop, texts, "");
}

std::string reading_stop_note(const matrix_reading& reading, const input_texts& texts)
{
    const entries_reading& e = reading.entries;
    if (e.read >= e.wanted)
        return {};
    char value[max_value_chars + value_scratch_chars];
    const std::string last_text(value, format_value(e.last, value));
    const std::uint64_t missing = e.wanted - e.read;
    const std::string rest =
        e.read == 0 ? (missing == 1 ? "so the entry is 0" : "so all " + entries(missing) + " are 0")
                    : "so the other " + entries(missing) + (missing == 1 ? " repeats" : " repeat") +
                          " the last value read, " + last_text;
    return "reading stopped " + place_of(e.stop, texts, "too large for a float") + " after " + std::to_string(e.read) +
           " of " + entries(e.wanted) + ", " + rest;
}

} // namespace torvane
