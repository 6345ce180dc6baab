#include "terminal_text.hpp"

#include "gbk.hpp"

#include <cstdlib>
#include <cstring>

namespace torvane {
namespace {

struct label_character {
    unsigned char lead;
    unsigned char trail;
    const char* utf8;
};

// Every double-byte character the report's labels use.
constexpr label_character label_characters[] = {
    {0xB5, 0xDA, "\u7B2C"}, // 第
    {0xB2, 0xBD, "\u6B65"}, // 步
    {0xC7, 0xF3, "\u6C42"}, // 求
    {0xC4, 0xE6, "\u9006"}, // 逆
    {0xBD, 0xE1, "\u7ED3"}, // 结
    {0xB9, 0xFB, "\u679C"}, // 果
    {0xA3, 0xBA, "\uFF1A"}, // ：
};

constexpr int carriage_return = '\r';

// A CR waits to see whether an LF follows; a GBK lead byte waits for its trail byte.
bool held_back(char byte) { return byte == carriage_return || is_gbk_lead(byte); }

} // namespace

bool colour_wanted()
{
    const char* no_colour = std::getenv("NO_COLOR");
    const char* terminal = std::getenv("TERM");
    return (no_colour == nullptr || *no_colour == '\0') && (terminal == nullptr || std::strcmp(terminal, "dumb") != 0);
}

void terminal_text::put_pair(unsigned char lead, unsigned char trail, std::string& out) const
{
    if (encoding_ != terminal_encoding::gbk)
        for (const auto& character : label_characters)
            if (character.lead == lead && character.trail == trail) {
                out += character.utf8;
                return;
            }
    out += static_cast<char>(lead);
    out += static_cast<char>(trail);
}

// The bytes between those held back go out in runs, not one by one: most of a report is
// digits and blanks, and a byte at a time would cost more than the rest of the showing.
void terminal_text::convert(std::string_view piece, std::string& out)
{
    const char* next = piece.data();
    const char* const end = next + piece.size();
    while (next < end) {
        if (pending_ >= 0) {
            const auto byte = static_cast<unsigned char>(*next);
            if (pending_ != carriage_return) {  // a GBK lead byte, and here its trail byte
                put_pair(static_cast<unsigned char>(pending_), byte, out);
                pending_ = -1;
                ++next;
                continue;
            }
            pending_ = -1;  // a CR: dropped before an LF; this byte is taken below either way
            if (byte != '\n')
                out += '\r';
        }
        const char* plain = next;
        while (plain < end && !held_back(*plain))
            ++plain;
        out.append(next, plain);
        if (plain == end)
            break;
        pending_ = static_cast<unsigned char>(*plain);
        next = plain + 1;
    }
}

void terminal_text::finish(std::string& out)
{
    if (pending_ >= 0)
        out += static_cast<char>(pending_);
    pending_ = -1;
}

} // namespace torvane
