#pragma once
// A progress line on a terminal's stderr for runs that take more than about a second:
// "step k of 2N - 2". Never shown when stderr is not a terminal; never in the report.

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace torvane {

class progress_line {
public:
    explicit progress_line(std::FILE* terminal);
    ~progress_line();
    progress_line(const progress_line&) = delete;
    progress_line& operator=(const progress_line&) = delete;

    // After every step block (the run's step_written): redraws the line, at most ten
    // times a second, and always for the last step.
    void show_step(std::int32_t step, std::int32_t total_steps);
    // Takes the line off the terminal, before the report or a message is printed there.
    void clear();

private:
    using clock = std::chrono::steady_clock;
    std::FILE* shown_on_ = nullptr;  // null when stderr is no terminal, and once cleared
    clock::time_point started_ = clock::now();
    clock::time_point last_drawn_;
    bool drawn_ = false;
};

} // namespace torvane
