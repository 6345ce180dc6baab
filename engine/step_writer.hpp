#pragma once
// The step blocks of one run, and what writing them fast takes: the rows of a large
// matrix are updated, cleaned and formatted on two threads; the text of every entry is
// kept (entry_text_cache.hpp) so that only what a pass changed is formatted again; the
// lines of a block are lent to the report's writer thread instead of copied. All of it
// belongs to one step_writer, which a run makes for its elimination and which frees it
// all when the run ends.

#include "elimination_settings.hpp"
#include "entry_text_cache.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace torvane {

class two_threads;

// What a pass does to one row of the matrix. It may read the row `source_row` of
// write_step, and no other row: the rows of a large matrix are updated on two threads.
using row_update = std::function<void(std::uint32_t row)>;

inline constexpr std::uint32_t no_source_row = UINT32_MAX;

class step_writer {
public:
    // `threads` must outlive the step writer.
    step_writer(const elimination_settings& settings, two_threads& threads);
    // Lent lines must not be in use once they are freed: a report not closed by now (the
    // run failed or was stopped) is given up here, unfinished.
    ~step_writer();
    step_writer(const step_writer&) = delete;
    step_writer& operator=(const step_writer&) = delete;

    // The run's watcher, or null when there is none or it does not follow this run.
    elimination_observer* watcher() const
    {
        return settings_.watcher && settings_.watcher->follows_this_run() ? settings_.watcher : nullptr;
    }

    // Applies `update` (when given) to every row, the row `source_row` last, as every
    // other row reads it as the last pass left it; sets the tiny entries to zero; counts
    // one more step and writes its block: the header, every row of [left | right] and an
    // empty line. With `zeroed` the rows are taken in order on this thread, and the
    // row-major places the 1e-6 rule changed (tiny, not zero) are put there in order.
    void write_step(const row_update& update, std::uint32_t source_row, std::vector<std::size_t>* zeroed = nullptr);

    // The line break the normalisation writes after every row.
    void end_normalized_row();

private:
    void update_and_clean_rows(std::size_t order, const row_update& update, std::uint32_t source_row,
                               std::vector<std::size_t>* zeroed, const std::function<void(std::size_t row)>& then);
    void write_rows_through_cache(std::size_t order, const row_update& update, std::uint32_t source_row,
                                  std::vector<std::size_t>* zeroed, bool texts_unknown);
    void write_rows_formatted(std::size_t order, const row_update& update, std::uint32_t source_row,
                              std::vector<std::size_t>* zeroed);
    void refresh_line(std::size_t row, std::size_t order, bool all);
    void after_step();

    elimination_settings settings_;
    two_threads& threads_;
    entry_text_cache texts_;
    // What out_file.send_lent() gave for the lines of the last two steps, by the step's parity.
    std::uint64_t lines_sent_[2] = {};
};

} // namespace torvane
