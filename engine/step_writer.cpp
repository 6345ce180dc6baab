#include "step_writer.hpp"

#include "report.hpp"
#include "two_threads.hpp"
#include "state.hpp"
#include "tiny_entries.hpp"

#include <algorithm>

namespace torvane {

step_writer::step_writer(const elimination_settings& settings, two_threads& threads)
    : settings_(settings), threads_(threads)
{
}

step_writer::~step_writer() { out_file.discard(); }

void step_writer::update_and_clean_rows(std::size_t order, const row_update& update, std::uint32_t source_row,
                                        std::vector<std::size_t>* zeroed,
                                        const std::function<void(std::size_t row)>& then)
{
    const std::size_t width = 2 * order;
    const auto one_row = [&](std::size_t r) {
        if (update)
            update(static_cast<std::uint32_t>(r));
        if (zeroed)
            note_tiny_nonzero_places(matrix.row(r), width, r * width, *zeroed);
        set_tiny_entries_to_zero(matrix.row(r), width);
        if (then)
            then(r);
    };
    const auto other_row = [&](std::size_t r) {
        if (r != source_row)
            one_row(r);
    };
    if (zeroed) {
        for (std::size_t r = 0; r < order; ++r)
            other_row(r);
    } else {
        threads_.for_every_row(order, width, other_row);
    }
    if (source_row < order)
        one_row(source_row);
    if (zeroed)
        std::sort(zeroed->begin(), zeroed->end());  // the source row's came last
}

// Formats again the entries of row r that changed and, if any did, puts its line together.
void step_writer::refresh_line(std::size_t r, std::size_t order, bool all)
{
    if (!texts_.refresh(r, matrix.row(r), all))
        return;
    char* const end = put_step_row(order, texts_.line_room(r),
                                   [this, r](std::size_t column, char* at) { return texts_.copy(r, column, at); });
    texts_.keep_line(r, end);
}

// Each row is brought up to date while it is in the cache of the core that updated it.
// New lines go where the lines of the step before last were: those must be written.
void step_writer::write_rows_through_cache(std::size_t order, const row_update& update, std::uint32_t source_row,
                                           std::vector<std::size_t>* zeroed, bool texts_unknown)
{
    out_file.wait_until_written(lines_sent_[step_count % 2]);
    update_and_clean_rows(order, update, source_row, zeroed,
                          [this, order, texts_unknown](std::size_t r) { refresh_line(r, order, texts_unknown); });
    for (std::size_t r = 0; r < order; ++r)
        out_file.lend(texts_.line(r));
}

// Very large orders: every row is formatted straight into the report's buffer.
void step_writer::write_rows_formatted(std::size_t order, const row_update& update, std::uint32_t source_row,
                                       std::vector<std::size_t>* zeroed)
{
    update_and_clean_rows(order, update, source_row, zeroed, {});
    const std::size_t capacity = row_line_capacity(2 * order);
    for (std::size_t r = 0; r < order; ++r) {
        char* out = out_file.reserve(capacity);
        out_file.commit(format_step_row(matrix.row(r), order, out));
    }
}

void step_writer::write_step(const row_update& update, std::uint32_t source_row, std::vector<std::size_t>* zeroed)
{
    ++step_count;
    write_step_header(step_count);
    const auto order = static_cast<std::size_t>(dimension);
    const std::size_t line_capacity = row_line_capacity(2 * order) + entry_text_cache::slot_size;
    const bool texts_unknown = texts_.prepare(order, 2 * order, line_capacity, settings_.step_text_budget);
    if (texts_.enabled())
        write_rows_through_cache(order, update, source_row, zeroed, texts_unknown);
    else
        write_rows_formatted(order, update, source_row, zeroed);
    out_file.write(report_text::line_break);
    lines_sent_[step_count % 2] = out_file.send_lent();
    after_step();
}

void step_writer::after_step()
{
    if (settings_.step_written)
        settings_.step_written(step_count, 2 * dimension - 2);
    if (settings_.stop_requested && settings_.stop_requested())
        throw run_stopped{};
}

void step_writer::end_normalized_row() { out_file.write(report_text::line_break); }

} // namespace torvane
