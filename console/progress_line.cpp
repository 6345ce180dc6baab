#include "progress_line.hpp"

#include "is_terminal.hpp"
#include "program_name.hpp"
#include "state.hpp"

#include <chrono>


namespace torvane {
namespace {

using clock = std::chrono::steady_clock;

constexpr auto quiet_start = std::chrono::seconds(1);
constexpr auto redraw_interval = std::chrono::milliseconds(100);

std::FILE* shown_on = nullptr;
clock::time_point started;
clock::time_point last_drawn;
bool drawn = false;

void show_step(std::int32_t step, std::int32_t total_steps)
{
    const auto now = clock::now();
    if (now - started < quiet_start || (drawn && now - last_drawn < redraw_interval && step != total_steps))
        return;
    std::fprintf(shown_on, "\r" TORVANE_PROGRAM_NAME ": pass %ld of %ld", static_cast<long>(step),
                 static_cast<long>(total_steps));
    std::fflush(shown_on);
    last_drawn = now;
    drawn = true;
}

} // namespace

progress_line::progress_line(std::FILE* terminal)
{
    if (!is_terminal(terminal))
        return;
    shown_on = terminal;
    started = clock::now();
    drawn = false;
    on_step_written = show_step;
}

void progress_line::clear()
{
    if (!shown_on)
        return;
    on_step_written = nullptr;
    if (drawn)
        std::fputs("\r\033[K", shown_on);  // leave the terminal as it was
    std::fflush(shown_on);
    shown_on = nullptr;
}

progress_line::~progress_line() { clear(); }

} // namespace torvane
