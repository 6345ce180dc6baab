#include "run_lock.hpp"

#include <thread>

namespace torvane {
namespace {

constexpr auto announce_after = std::chrono::seconds(1);
constexpr auto poll_interval = std::chrono::milliseconds(20);

} // namespace

run_lock::~run_lock() { release(); }

lock_outcome run_lock::acquire(const lock_wait& wait)
{
    if (const lock_outcome opened = open_files(); opened != lock_outcome::held) {
        release();
        return opened;
    }
    const auto started = std::chrono::steady_clock::now();
    bool announced = false;
    for (;;) {
        switch (try_once()) {
        case attempt::taken:
            return report_writable();
        case attempt::failed:
            release();
            return lock_outcome::not_lockable;
        case attempt::refused:
            if (created_data_)
                forget_new_data_file();
            release();
            return refused_;
        case attempt::taken_elsewhere:
            break;
        }
        if (wait.stop_requested && wait.stop_requested())
            return lock_outcome::interrupted;
        const auto waited = std::chrono::steady_clock::now() - started;
        if (waited >= wait.limit)
            return lock_outcome::busy;
        if (!announced && waited >= announce_after && wait.on_waiting) {
            announced = true;
            wait.on_waiting();
        }
        std::this_thread::sleep_for(poll_interval);
    }
}

// Both files or neither: a report that cannot be written fails the run before "mat.data"
// is touched, and a "mat.data" this run had to create goes again.
lock_outcome run_lock::report_writable()
{
    const lock_outcome report = open_report_for_writing();
    if (report == lock_outcome::held)
        return report;
    if (created_data_)
        forget_new_data_file();
    release();
    return report;
}

} // namespace torvane
