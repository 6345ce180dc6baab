#pragma once
// The terminal views' matrices: columns right-aligned and numbered from 1, a bar between
// the halves of [A | I], and colours for what a pass did when the output is a terminal.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

struct explain_style {
    bool colour = false;   // ANSI colours for the pivot, the repaired row and what changed
    bool unicode = true;   // x, / and the like as the proper signs
};

enum class mark { plain, changed, zeroed, pivot };

// A rows x columns block of texts, with the bar after column `bar_after` (0 for none) and
// a label for the row `labelled_row`.
struct text_table {
    std::size_t rows;
    std::size_t columns;
    std::size_t bar_after;
    const std::vector<std::string>& texts;
    std::vector<mark> marks;  // empty: all plain
    std::size_t labelled_row = SIZE_MAX;
};

std::string layout(const text_table& table, const explain_style& style);

// `text` in `colour` (an ANSI sequence) when the style has colours.
std::string painted(const std::string& text, const char* colour, const explain_style& style);
inline constexpr const char* colour_repair = "\x1b[1;35m";  // bold magenta

// Characters, not bytes: the signs are two or three bytes in UTF-8.
std::size_t display_width(const std::string& text);
std::string pad_left(const std::string& text, std::size_t width);

} // namespace torvane
