#include "report.hpp"

#include "format_value.hpp"
#include "entry_text_cache.hpp"
#include "split_work.hpp"
#include "state.hpp"
#include "tiny_entries.hpp"

#include <charconv>
#include <cstring>

namespace torvane {
namespace {

char* put(char* out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// The most a row line of `columns` values can take, its separator and line break included,
// and the scratch bytes the formatter may write past the last value.
std::size_t row_line_capacity(std::size_t columns)
{
    return columns * (max_value_chars + report_text::value_terminator.size()) + report_text::half_separator.size() +
           report_text::line_break.size() + value_scratch_chars;
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

entry_text_cache entry_texts;
// What send_lent() gave for the lines of the last two steps, by the parity of the step.
std::uint64_t lines_sent[2] = {};
std::size_t entry_text_budget = entry_text_cache::default_budget;

// Below this many entries a block is prepared on one thread: handing work over costs more.
constexpr std::size_t entries_worth_splitting = 16384;

// Runs `each` for every row: on two threads, each taking the next row until none is left,
// when the matrix is large enough to pay for the hand-over.
void for_every_row(std::size_t n, const std::function<void(std::size_t row)>& each)
{
    if (n * 2 * n < entries_worth_splitting) {
        for (std::size_t r = 0; r < n; ++r)
            each(r);
        return;
    }
    share_work(n, each);
}

char* copy_entry_texts(std::size_t row, std::size_t first, std::size_t count, char* out)
{
    for (std::size_t column = first; column < first + count; ++column)
        out = entry_texts.copy(row, column, out);
    return out;
}

// Updates and cleans row r, formats again its entries that changed and, if any did, puts
// its line together.
void update_row_and_refresh_line(std::size_t r, std::size_t n, bool all, const row_update& update)
{
    if (update)
        update(static_cast<std::uint32_t>(r));
    set_tiny_entries_to_zero(matrix.row(r), 2 * n);
    if (!entry_texts.refresh(r, matrix.row(r), all))
        return;
    char* out = entry_texts.line_room(r);
    out = copy_entry_texts(r, 0, n, out);
    out = put(out, report_text::half_separator);
    out = copy_entry_texts(r, n, n, out);
    entry_texts.keep_line(r, put(out, report_text::line_break));
}

// Updates and cleans every row and brings its line up to date; the source row last, the
// others, which are independent, in any order.
void update_rows_and_lines(std::size_t n, bool all, const row_update& update, std::uint32_t source_row)
{
    for_every_row(n, [n, all, &update, source_row](std::size_t r) {
        if (r != source_row)
            update_row_and_refresh_line(r, n, all, update);
    });
    if (source_row < n)
        update_row_and_refresh_line(source_row, n, all, update);
}

void update_clean_and_write_rows(std::size_t n, std::size_t capacity, const row_update& update,
                                 std::uint32_t source_row)
{
    const std::size_t line_capacity = capacity + entry_text_cache::slot_size;
    const bool texts_unknown = entry_texts.prepare(n, 2 * n, line_capacity, entry_text_budget);
    if (!entry_texts.enabled()) {
        // Very large orders: every row is formatted straight into the buffer.
        if (update)
            for_every_row(n, [&update](std::size_t r) { update(static_cast<std::uint32_t>(r)); });
        set_tiny_entries_to_zero(matrix);
        for (std::size_t r = 0; r < n; ++r) {
            char* out = out_file.reserve(capacity);
            out_file.commit(format_step_row(matrix.row(r), n, out));
        }
        return;
    }
    // New lines go where the lines of the step before last were: those must be written.
    out_file.wait_until_written(lines_sent[step_count % 2]);
    update_rows_and_lines(n, texts_unknown, update, source_row);
    for (std::size_t r = 0; r < n; ++r)
        out_file.lend(entry_texts.line(r));
}

} // namespace

void clean_and_write_step(const row_update& update, std::uint32_t source_row)
{
    if (++step_count == 1)
        lines_sent[0] = lines_sent[1] = 0;  // numbers of an earlier run's stream mean nothing now
    write_step_header();
    const auto n = static_cast<std::size_t>(dimension);
    update_clean_and_write_rows(n, row_line_capacity(2 * n), update, source_row);
    out_file.write(report_text::line_break);
    lines_sent[step_count % 2] = out_file.send_lent();
    if (on_step_written)
        on_step_written(step_count, 2 * dimension - 2);
    if (stop_requested.load(std::memory_order_relaxed))
        throw run_stopped{};
}

void set_step_text_budget(std::size_t bytes) { entry_text_budget = bytes; }

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
