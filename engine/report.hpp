#pragma once
// The report "mat.result": step blocks after every elimination pass (step_writer.hpp
// writes them), the framed inverse. Labels are GBK bytes and every line ends in CR LF,
// whatever the platform.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace torvane {

namespace report_text {
inline constexpr std::string_view line_break = "\r\n";
inline constexpr std::string_view step_prefix = "\xB5\xDA ";                          // "第 "
inline constexpr std::string_view step_suffix = "\xB2\xBD";                           // "步"
inline constexpr std::string_view inverse_heading = "\xC7\xF3\xC4\xE6\xBD\xE1\xB9\xFB\xA3\xBA"; // "求逆结果："
inline constexpr std::string_view rule = "########################";
inline constexpr std::string_view value_terminator = "  ";
inline constexpr std::string_view half_separator = " | ";
} // namespace report_text

// The most a line of `values` values can take, its separator and line break included,
// and the scratch bytes the formatter may write past the last value.
std::size_t row_line_capacity(std::size_t values);

// Copies `text` to `out`; returns the end of the copy.
char* put_text(char* out, std::string_view text);

// The one layout of a step row: "a  b   | c  d  " and the line break, for `order` +
// `order` entries. `put_entry(column, out)` puts one entry's text and its terminator at
// `out` and returns the end: formatted there, or copied from where it was kept.
template <class PutEntry> char* put_step_row(std::size_t order, char* out, PutEntry put_entry)
{
    for (std::size_t column = 0; column < order; ++column)
        out = put_entry(column, out);
    out = put_text(out, report_text::half_separator);
    for (std::size_t column = order; column < 2 * order; ++column)
        out = put_entry(column, out);
    return put_text(out, report_text::line_break);
}

// A value's text and its terminator.
char* put_value(float value, char* out);

// A step row of `order` + `order` values, each formatted as it goes.
char* format_step_row(const float* row, std::size_t order, char* out);

// "第 k步" and its line break.
void write_step_header(std::int32_t step);

// Writes the right half of every row, one line each: the inverse once the rows are normalised.
void write_inverse();

// The frame the compute run puts around the inverse.
void write_inverse_heading();
void write_closing_rule();

} // namespace torvane
