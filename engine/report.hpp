#pragma once
// The report "mat.result": step blocks after every elimination pass, the framed inverse.
// Labels are GBK bytes and every line ends in CR LF, whatever the platform.

#include <cstddef>
#include <cstdint>
#include <functional>
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

// What a pass does to one row of the matrix. It may read the row `source_row` of
// clean_and_write_step, and no other row: the rows of a large matrix are updated on two
// threads at once.
using row_update = std::function<void(std::uint32_t row)>;

inline constexpr std::uint32_t no_source_row = UINT32_MAX;

// Applies `update` (when given) to every row, sets the matrix's tiny entries to zero,
// counts one more step and writes its block: the header, every row of [left | right] and
// an empty line. A row is updated and cleaned just before its text is brought up to
// date, on the same thread, while it is in the cache; `source_row`, which the update
// reads as it stood after the last pass, is cleaned only once every other row is updated.
void clean_and_write_step(const row_update& update = {}, std::uint32_t source_row = no_source_row);

// The memory the step blocks may keep the text of every entry in, to copy instead of
// format again what a pass left unchanged; beyond it every entry is formatted each time.
// Takes effect at the next step.
void set_step_text_budget(std::size_t bytes);

// Writes the right half of every row, one line each: the inverse once the rows are normalised.
void write_inverse();

// The frame the compute run puts around the inverse.
void write_inverse_heading();
void write_closing_rule();

} // namespace torvane
