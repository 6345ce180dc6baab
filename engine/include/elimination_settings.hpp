#pragma once
// What a front end asks of a run's elimination, and how a run it stopped ends.

#include "elimination_observer.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace torvane {

// The memory a run's text cache may take by default: the text of every entry of an order
// in the low thousands.
inline constexpr std::size_t default_step_text_budget = std::size_t{256} << 20;

// What a front end asks of a run's elimination; nothing by default.
struct elimination_settings {
    // Told of every step of the working (the views); null in a plain run.
    elimination_observer* watcher = nullptr;
    // Called after every step block with its number and the number of steps the run will
    // write, so a front end can show progress.
    std::function<void(std::int32_t step, std::int32_t total_steps)> step_written;
    // Asked after every step block: true stops the run there (step_writer throws
    // run_stopped), so the run never ends in the middle of a row.
    std::function<bool()> stop_requested;
    // The memory the text cache may take; beyond it every entry is formatted each time.
    std::size_t step_text_budget = default_step_text_budget;
};

struct run_stopped {};

} // namespace torvane
