#include "progress_line.hpp"

#include "terminal.hpp"
#include "program_name.hpp"

namespace torvane {
namespace {

constexpr auto quiet_start = std::chrono::seconds(1);
constexpr auto redraw_interval = std::chrono::milliseconds(100);

} // namespace

progress_line::progress_line(std::FILE* terminal) : shown_on_(is_terminal(terminal) ? terminal : nullptr) {}

void progress_line::show_step(std::int32_t step, std::int32_t total_steps)
{
    if (!shown_on_)
        return;
    const auto now = clock::now();
    if (now - started_ < quiet_start || (drawn_ && now - last_drawn_ < redraw_interval && step != total_steps))
        return;
    std::fprintf(shown_on_, "\r" TORVANE_PROGRAM_NAME ": step %ld of %ld", static_cast<long>(step),
                 static_cast<long>(total_steps));
    std::fflush(shown_on_);
    last_drawn_ = now;
    drawn_ = true;
}

void progress_line::clear()
{
    if (!shown_on_)
        return;
    if (drawn_)
        std::fputs("\r\033[K", shown_on_);  // leave the terminal as it was
    std::fflush(shown_on_);
    shown_on_ = nullptr;
}

progress_line::~progress_line() { clear(); }

} // namespace torvane
