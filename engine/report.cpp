#include "report.hpp"

#include "arithmetic.hpp"
#include "format_value.hpp"
#include "row_text_cache.hpp"
#include "state.hpp"

#include <charconv>
#include <cstring>

namespace torvane {
namespace {

char* put(char* out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// The most a row line of `columns` values can take, its separator and line break included.
std::size_t row_line_capacity(std::size_t columns)
{
    return columns * (max_value_chars + report_text::value_terminator.size()) + report_text::half_separator.size() +
           report_text::line_break.size();
}

void flush_tiny(float* row, std::size_t columns)
{
    for (std::size_t c = 0; c < columns; ++c)
        if (is_tiny(row[c]))
            row[c] = 0.0f;
}

char* format_values(const float* values, std::size_t count, char* out)
{
    for (std::size_t c = 0; c < count; ++c) {
        out = format_value(values[c], out);
        out = put(out, report_text::value_terminator);
    }
    return out;
}

// "a  b   | c  d  " and the line break, for a row of N + N values.
char* format_step_row(const float* row, std::size_t n, char* out)
{
    out = format_values(row, n, out);
    out = put(out, report_text::half_separator);
    out = format_values(row + n, n, out);
    return put(out, report_text::line_break);
}

void write_step_header()
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, step_count).ptr;
    out_file.write(report_text::step_prefix);
    out_file.write(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    out_file.write(report_text::step_suffix);
    out_file.write(report_text::line_break);
}

row_text_cache step_rows;

} // namespace

void write_step()
{
    ++step_count;
    write_step_header();
    const auto n = static_cast<std::size_t>(dimension);
    const std::size_t capacity = row_line_capacity(2 * n);
    step_rows.prepare(n, capacity);
    for (std::size_t r = 0; r < n; ++r) {
        // A row no update has touched since the last block was cleaned then and reads the same.
        const bool changed = matrix.take_changed(r);
        if (changed)
            flush_tiny(matrix.row(r), 2 * n);
        if (step_rows.enabled()) {
            if (changed)
                step_rows.store(r, format_step_row(matrix.row(r), n, step_rows.line(r)));
            out_file.write(step_rows.text(r));
        } else {
            char* out = out_file.reserve(capacity);
            out_file.commit(format_step_row(matrix.row(r), n, out));
        }
    }
    out_file.write(report_text::line_break);
    if (on_step_written)
        on_step_written(step_count, 2 * dimension - 2);
}

void write_inverse()
{
    const auto n = static_cast<std::size_t>(dimension > 0 ? dimension : 0);
    const std::size_t capacity = row_line_capacity(n);
    for (std::size_t r = 0; r < n; ++r) {
        char* out = out_file.reserve(capacity);
        out = format_values(matrix.row(r) + n, n, out);
        out_file.commit(put(out, report_text::line_break));
    }
}

void write_inverse_heading()
{
    out_file.write(report_text::line_break);
    out_file.write(report_text::rule);
    out_file.write(report_text::line_break);
    out_file.write(report_text::inverse_heading);
    out_file.write(report_text::line_break);
}

void write_closing_rule()
{
    out_file.write(report_text::rule);
    out_file.write(report_text::line_break);
}

} // namespace torvane
