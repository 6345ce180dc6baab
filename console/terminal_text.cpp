#include "terminal_text.hpp"

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

bool is_gbk_lead(unsigned char byte) { return byte >= 0x81 && byte != 0xFF; }

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

void terminal_text::convert(std::string_view piece, std::string& out)
{
    for (const char ch : piece) {
        const auto byte = static_cast<unsigned char>(ch);
        if (pending_ == carriage_return) {
            pending_ = -1;
            if (byte != '\n')
                out += '\r';
        } else if (pending_ >= 0) {
            put_pair(static_cast<unsigned char>(pending_), byte, out);
            pending_ = -1;
            continue;
        }
        if (byte == '\r' || is_gbk_lead(byte))
            pending_ = byte;
        else
            out += ch;
    }
}

void terminal_text::finish(std::string& out)
{
    if (pending_ >= 0)
        out += static_cast<char>(pending_);
    pending_ = -1;
}

} // namespace torvane
