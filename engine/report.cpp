#include "report.hpp"

#include "arithmetic.hpp"
#include "format_value.hpp"
#include "row_text_cache.hpp"
#include "split_work.hpp"
#include "state.hpp"

#include <charconv>
#include <cstring>
#include <vector>

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
std::vector<std::size_t> changed_rows;

// Below this many values a block is formatted on one thread: handing work over costs more.
constexpr std::size_t values_worth_splitting = 16384;

void clean_and_format_row(std::size_t r, std::size_t n)
{
    flush_tiny(matrix.row(r), 2 * n);
    step_rows.store(r, format_step_row(matrix.row(r), n, step_rows.line(r)));
}

// Only rows an update wrote since the last block need cleaning and formatting: the others
// were cleaned then and still read the same. Rows are independent, so two threads can
// share them; the text is put together in row order afterwards either way.
void format_changed_rows(std::size_t n)
{
    changed_rows.clear();
    for (std::size_t r = 0; r < n; ++r)
        if (matrix.take_changed(r))
            changed_rows.push_back(r);
    const std::size_t half = changed_rows.size() / 2;
    if (changed_rows.size() * 2 * n < values_worth_splitting) {
        for (const std::size_t r : changed_rows)
            clean_and_format_row(r, n);
        return;
    }
    run_in_two_parts([n, half](int part) {
        const std::size_t first = part == 0 ? 0 : half;
        const std::size_t last = part == 0 ? half : changed_rows.size();
        for (std::size_t i = first; i < last; ++i)
            clean_and_format_row(changed_rows[i], n);
    });
}

// Without the cache (very large orders), rows are cleaned and formatted straight into
// the file's buffer.
void write_rows_uncached(std::size_t n, std::size_t capacity)
{
    for (std::size_t r = 0; r < n; ++r) {
        if (matrix.take_changed(r))
            flush_tiny(matrix.row(r), 2 * n);
        char* out = out_file.reserve(capacity);
        out_file.commit(format_step_row(matrix.row(r), n, out));
    }
}

} // namespace

void write_step()
{
    ++step_count;
    write_step_header();
    const auto n = static_cast<std::size_t>(dimension);
    const std::size_t capacity = row_line_capacity(2 * n);
    step_rows.prepare(n, capacity);
    if (step_rows.enabled()) {
        format_changed_rows(n);
        for (std::size_t r = 0; r < n; ++r)
            out_file.write(step_rows.text(r));
    } else {
        write_rows_uncached(n, capacity);
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
