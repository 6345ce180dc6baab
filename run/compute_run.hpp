#pragma once
// One press of the compute button: the two input texts are saved to "mat.data" and read
// back as numbers, the matrix is inverted with a step block after every pass into
// "mat.result", and that file's text goes to the result box. Both files are left on disk.

#include "matrix_reading.hpp"
#include "seam.hpp"
#include "elimination_settings.hpp"
#include "file_system.hpp"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace torvane {

inline constexpr const char* data_file_name = "mat.data";
inline constexpr const char* report_file_name = "mat.result";

enum class run_outcome {
    completed, // the report is in the result box
    no_order,  // the input gave no positive order: nothing computed, result box unchanged
    failed,    // the run could not be carried out; `failure` says why
    interrupted, // stopped from outside (run_options::stop_requested); `stopped_at` says what it left
};

// Where an interrupted run stopped, which says what its files hold.
enum class stop_point {
    waiting,   // before it had its turn: both files are as the run before left them
    computing, // while the report was written: the report was emptied
    showing,   // after the report was written whole: it stays in "mat.result"
};

enum class run_failure {
    none,
    too_large_for_memory, // the N x 2N working matrix cannot be held
    out_of_memory,        // memory ran out during the run (order 0: before N was read)
    too_large_for_disk,   // even the smallest report for N does not fit on the disk
    file_not_writable,    // `file` could not be created or written
    file_not_readable,    // `file` could not be read, or not as it was written
    directory_busy,       // another run kept directory `file` for `lock_waited`
    directory_not_lockable, // directory `file` cannot be locked for the run
    refused_by_front_end,   // the order is above the seam's largest_order()
    planted_link,         // `file` is another user's symbolic link in a shared sticky directory
    planted_hard_link,    // `file` has another name elsewhere, in a shared sticky directory
    foreign_file,         // `file` is another user's file there, which they may swap for a link
    changed_while_shown,  // the report was checked, then changed while it was shown
};

struct run_status {
    run_outcome outcome = run_outcome::completed;
    run_failure failure = run_failure::none;
    std::string file;        // the file (or directory) a failure concerns
    std::int32_t order = 0;  // N as read
    int error_number = 0;    // errno of a file failure, when known
    matrix_reading reading;  // what was read from "mat.data", as far as the run got
    stop_point stopped_at = stop_point::computing;  // for an interrupted run
    std::chrono::milliseconds lock_waited{0};  // how long a busy directory was waited for
    bool report_emptied = false;  // a failed run had emptied "mat.result": no report is left there
};

// What a front end asks of a run beyond its texts (the watcher, progress, a stop, the
// text cache's budget, and the following); nothing by default. It is the run's own:
// nothing of it outlives the run.
struct run_options : elimination_settings {
    // Runs in one directory take turns: a run waits at most this long for another.
    std::chrono::milliseconds lock_wait_limit = std::chrono::seconds(60);
    // Called once when the run has waited about a second for another.
    std::function<void()> on_waiting_for_directory;
    // Called between writing the report and reading it back; tests tamper with the file then.
    std::function<void()> before_report_read;
    // Where "mat.data" and "mat.result" are written: the system's files unless a test
    // gives its own.
    const file_system* files = &system_files();
};

run_status compute_run(front_end& seam, const run_options& options = {});

// The status of a run whose front end ran out of memory outside compute_run (reading the
// texts in, the views): out_of_memory, with the order as far as the last run read it.
run_status out_of_memory_outside_run();

} // namespace torvane
