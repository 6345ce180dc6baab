#include "step_writer.hpp"

#include "report.hpp"
#include "state.hpp"

namespace torvane {

step_writer::step_writer(const elimination_settings& settings) : settings_(settings) {}

step_writer::~step_writer() { out_file.discard(); }

// Formats again the entries of row r that changed and, if any did, puts its line together.
void step_writer::refresh_line(std::size_t r, bool all)
{
    if (!texts_.refresh(r, matrix.row(r), all))
        return;
    char* const end = put_step_row(order_, texts_.line_room(r),
                                   [this, r](std::size_t column, char* at) { return texts_.copy(r, column, at); });
    texts_.keep_line(r, end);
}

// Very large orders keep no texts: every row is formatted straight into the report's buffer.
void step_writer::write_rows_formatted()
{
    const std::size_t capacity = row_line_capacity(2 * order_);
    for (std::size_t r = 0; r < order_; ++r) {
        char* out = out_file.reserve(capacity);
        out_file.commit(format_step_row(matrix.row(r), order_, out));
    }
}

// New lines go where the lines of the step before last were: those must be written first.
void step_writer::begin_step()
{
    ++step_count;
    write_step_header(step_count);
    order_ = static_cast<std::size_t>(dimension);
    const std::size_t line_capacity = row_line_capacity(2 * order_) + entry_text_cache::slot_size;
    texts_unknown_ = texts_.prepare(order_, 2 * order_, line_capacity, settings_.step_text_budget);
    if (texts_.enabled())
        out_file.wait_until_written(lines_sent_[step_count % 2]);
}

void step_writer::row_ready(std::size_t row)
{
    if (texts_.enabled())
        refresh_line(row, texts_unknown_);
}

void step_writer::end_step()
{
    if (texts_.enabled())
        for (std::size_t r = 0; r < order_; ++r)
            out_file.lend(texts_.line(r));
    else
        write_rows_formatted();
    out_file.write(report_text::line_break);
    lines_sent_[step_count % 2] = out_file.send_lent();
    if (settings_.step_written)
        settings_.step_written(step_count, 2 * dimension - 2);
    if (settings_.stop_requested && settings_.stop_requested())
        throw run_stopped{};
}

void step_writer::end_normalized_row() { out_file.write(report_text::line_break); }

} // namespace torvane
