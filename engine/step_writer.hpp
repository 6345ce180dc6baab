#pragma once
// The step blocks of one run, and what writing them fast takes: the text of every entry
// is kept (entry_text_cache.hpp) so that only what a pass changed is formatted again, and
// each row's line is put together right after the elimination updated the row, while the
// row is in the cache of the core that updated it; the lines of a block are lent to the
// report's writer thread instead of copied. All of it belongs to one step_writer, which a
// run makes for its elimination and which frees it all when the run ends.

#include "elimination_settings.hpp"
#include "entry_text_cache.hpp"

#include <cstddef>
#include <cstdint>

namespace torvane {

class step_writer {
public:
    explicit step_writer(const elimination_settings& settings);
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

    // A step block: begin_step() counts the step and writes its header; row_ready(r) is
    // called once for every row as the pass left it, cleaned, from either of two threads
    // (for different rows); end_step() writes every row of [left | right] and an empty
    // line, tells the front end, and throws run_stopped when the run is to stop there.
    void begin_step();
    void row_ready(std::size_t row);
    void end_step();

    // The line break the normalisation writes after every row.
    void end_normalized_row();

private:
    void refresh_line(std::size_t row, bool all);
    void write_rows_formatted();

    elimination_settings settings_;
    entry_text_cache texts_;
    std::size_t order_ = 0;
    bool texts_unknown_ = false;
    // What out_file.send_lent() gave for the lines of the last two steps, by the step's parity.
    std::uint64_t lines_sent_[2] = {};
};

} // namespace torvane
