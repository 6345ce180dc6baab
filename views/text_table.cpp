#include "text_table.hpp"

#include <algorithm>

namespace torvane {
namespace {

constexpr const char* colour_of(mark m)
{
    switch (m) {
    case mark::changed: return "\x1b[36m";   // cyan
    case mark::zeroed: return "\x1b[32m";    // green
    case mark::pivot: return "\x1b[1;33m";   // bold yellow
    case mark::plain: break;
    }
    return "";
}
constexpr const char* colour_reset = "\x1b[0m";

} // namespace

std::string painted(const std::string& text, const char* colour, const explain_style& style)
{
    return style.colour && *colour ? colour + text + colour_reset : text;
}

std::size_t display_width(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string pad_left(const std::string& text, std::size_t width)
{
    const std::size_t shown = display_width(text);
    return std::string(width > shown ? width - shown : 0, ' ') + text;
}

std::string layout(const text_table& t, const explain_style& style)
{
    std::vector<std::size_t> widths(t.columns);
    for (std::size_t c = 0; c < t.columns; ++c) {
        widths[c] = std::to_string(c + 1).size();
        for (std::size_t r = 0; r < t.rows; ++r)
            widths[c] = std::max(widths[c], display_width(t.texts[r * t.columns + c]));
    }
    const std::size_t label_width = std::to_string(t.rows).size() + 2;
    const auto line = [&](auto cell, const std::string& label) {
        std::string out = pad_left(label, label_width);
        for (std::size_t c = 0; c < t.columns; ++c) {
            out += "  " + cell(c);
            if (c + 1 == t.bar_after)
                out += " |";
        }
        return out + "\n";
    };
    std::string out = line([&](std::size_t c) { return pad_left(std::to_string(c + 1), widths[c]); }, "");
    for (std::size_t r = 0; r < t.rows; ++r) {
        const auto cell = [&](std::size_t c) {
            const std::size_t i = r * t.columns + c;
            const mark m = t.marks.empty() ? mark::plain : t.marks[i];
            return pad_left("", widths[c] - display_width(t.texts[i])) + painted(t.texts[i], colour_of(m), style);
        };
        const std::string label = std::to_string(r + 1);
        out += line(cell, r == t.labelled_row ? painted(label, colour_repair, style) : label);
    }
    return out;
}

} // namespace torvane
