#include "compute_run.hpp"

#include "eliminate.hpp"
#include "order_limits.hpp"
#include "report_file_reader.hpp"
#include "report.hpp"
#include "run_lock.hpp"
#include "save_inputs.hpp"
#include "state.hpp"
#include "step_writer.hpp"
#include "system_limits.hpp"
#include "two_threads.hpp"

#include <filesystem>
#include <new>
#include <stdexcept>
#include <system_error>

namespace torvane {

namespace {

// One press: what the front end asked for, and the helper thread the run's steps and its
// read-back share. Lives exactly as long as the run.
struct press {
    press(const run_options& given_options, front_end& given_seam) : options(given_options), seam(given_seam) {}
    const run_options& options;
    front_end& seam;
    two_threads threads;
    bool report_emptied = false;  // "mat.result" was reset: an earlier report is gone

    bool stopping() const { return options.stop_requested && options.stop_requested(); }
    const file_system& files() const { return *options.files; }
};

run_status failure(run_failure kind, std::string file = {}, int error_number = 0)
{
    run_status status;
    status.outcome = run_outcome::failed;
    status.failure = kind;
    status.file = std::move(file);
    status.error_number = error_number;
    status.order = dimension;
    return status;
}

run_status interrupted(stop_point where)
{
    run_status status;
    status.outcome = run_outcome::interrupted;
    status.stopped_at = where;
    return status;
}

// Creates the file empty, or empties it, and closes it again.
bool reset_file(const char* name, const file_system& files)
{
    out_file.discard();
    if (!out_file.open(name, files))
        return false;
    out_file.close();
    return true;
}

void close_streams()
{
    in_file.close();
    out_file.discard();
}

// A file that cannot be finished is not left looking like one; emptying it also gives
// back the disk space a full disk needs.
void abandon_file(const std::string& name, const file_system& files)
{
    out_file.discard();
    out_file.clear();
    if (out_file.open(name, files))
        out_file.discard();
}

std::string current_directory()
{
    std::error_code error;
    const auto path = std::filesystem::current_path(error);
    return error ? std::string(".") : path.string();
}

run_status lock_files(run_lock& lock, const run_options& options)
{
    const lock_wait wait{options.lock_wait_limit, options.on_waiting_for_directory, options.stop_requested};
    switch (lock.acquire(wait)) {
    case lock_outcome::held:
        return {};
    case lock_outcome::busy: {
        run_status status = failure(run_failure::directory_busy, current_directory());
        status.lock_waited = options.lock_wait_limit;
        return status;
    }
    case lock_outcome::not_lockable:
        return failure(run_failure::directory_not_lockable, current_directory(), lock.error_number());
    case lock_outcome::file_unusable:
        return failure(run_failure::file_not_writable, lock.file(), lock.error_number());
    case lock_outcome::planted_link:
        return failure(run_failure::planted_link, lock.file());
    case lock_outcome::planted_hard_link:
        return failure(run_failure::planted_hard_link, lock.file());
    case lock_outcome::foreign_file:
        return failure(run_failure::foreign_file, lock.file());
    case lock_outcome::interrupted:
        break;
    }
    return interrupted(stop_point::waiting);
}

run_status check_dimension(front_end& seam)
{
    if (dimension > seam.largest_order())
        return failure(run_failure::refused_by_front_end);
    switch (check_order(dimension, usable_memory_bytes(), current_directory_free_bytes())) {
    case order_problem::too_large_for_memory:
        return failure(run_failure::too_large_for_memory);
    case order_problem::too_large_for_disk:
        return failure(run_failure::too_large_for_disk);
    case order_problem::none:
        break;
    }
    seam.order_taken(dimension);
    return {};
}

// Reads the matrix; false when its N rows cannot be held. `fits` says whether an order
// read was taken, and why not.
bool read_matrix(front_end& seam, matrix_reading& reading, run_status& fits)
{
    try {
        load_matrix(reading, [&] {
            fits = check_dimension(seam);
            return fits.outcome == run_outcome::completed;
        });
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    matrix.clear();
    row_buffer.clear();
    row_buffer.shrink_to_fit();
    return false;
}

// The report is closed while the step writer, whose lines it may still be writing, exists.
void invert_and_write_report(press& run)
{
    step_writer steps(run.options);
    eliminate_forward({steps, run.threads});
    eliminate_backward({steps, run.threads});
    normalize_rows(steps);
    write_inverse_heading();
    write_inverse();
    write_closing_rule();
    out_file.close();
}

run_status show_report(press& run)
{
    if (run.options.before_report_read)
        run.options.before_report_read();
    report_file_reader report(report_file_name, {out_file.bytes_written(), out_file.checksum(), out_file.checksum_key()}, run.threads,
                              run.files(), run.options.stop_requested);
    run.seam.set_result_text(report);
    if (run.stopping())
        return interrupted(stop_point::showing);
    if (report.changed_while_shown())
        return failure(run_failure::changed_while_shown, report_file_name);
    if (!report.complete())
        return failure(run_failure::file_not_readable, report_file_name, report.error_number());
    return {};
}

run_status run_with_files(press& run, matrix_reading& reading)
{
    front_end& seam = run.seam;
    if (!reset_file(data_file_name, run.files()))
        return failure(run_failure::file_not_writable, data_file_name, out_file.open_error());
    if (!reset_file(report_file_name, run.files()))
        return failure(run_failure::file_not_writable, report_file_name, out_file.open_error());
    run.report_emptied = true;
    out_file.clear();
    in_file.clear();
    const std::string dimension_text = seam.dimension_text();
    const std::string data_text = seam.data_text();
    if (run_status saved = save_inputs(dimension_text, data_text, run.files()); saved.outcome != run_outcome::completed)
        return saved;

    run_status fits;
    const bool held = read_matrix(seam, reading, fits);
    if (dimension <= 0) {
        out_file.close();  // completes "mat.data" when the data box was empty
        in_file.close();
        run_status status;
        status.outcome = run_outcome::no_order;
        status.order = dimension;
        return status;
    }
    if (fits.outcome != run_outcome::completed)
        return fits;
    if (!held)
        return failure(run_failure::out_of_memory);
    in_file.close();
    invert_and_write_report(run);
    if (run.stopping())
        throw run_stopped{};
    return show_report(run);
}

// Runs the whole press under the files' lock; a failure on the way empties the file
// it left unfinished.
run_status run_locked(press& run, matrix_reading& reading)
{
    run_lock lock(data_file_name, report_file_name);
    if (run_status locked = lock_files(lock, run.options); locked.outcome != run_outcome::completed)
        return locked;
    try {
        return run_with_files(run, reading);
    } catch (const file_error& error) {
        run_status status = failure(run_failure::file_not_writable, error.file, error.error_number);
        if (error.file == report_file_name || error.file == data_file_name)
            abandon_file(error.file, run.files());
        return status;
    } catch (const std::bad_alloc&) {
        abandon_file(report_file_name, run.files());
        return failure(run_failure::out_of_memory);
    } catch (const run_stopped&) {
        abandon_file(report_file_name, run.files());
        return interrupted(stop_point::computing);
    } catch (...) {  // for the front end to answer; no half report is left meanwhile
        abandon_file(report_file_name, run.files());
        throw;
    }
}

} // namespace

run_status out_of_memory_outside_run()
{
    run_status status;
    status.outcome = run_outcome::failed;
    status.failure = run_failure::out_of_memory;
    status.order = dimension;
    return status;
}

run_status compute_run(front_end& seam, const run_options& options)
{
    begin_run();  // first, so that a run failing on its files does not report the last run's order
    matrix_reading reading;
    run_status status;
    try {
        press run(options, seam);
        status = run_locked(run, reading);
        status.report_emptied = run.report_emptied && status.outcome == run_outcome::failed &&
                                status.failure != run_failure::changed_while_shown;
    } catch (const std::bad_alloc&) {  // before the files were touched, or after the run
        status = failure(run_failure::out_of_memory);
    }
    if (status.outcome != run_outcome::completed)
        close_streams();
    in_file.clear();
    out_file.clear();
    status.order = dimension;
    status.reading = reading;
    return status;
}

} // namespace torvane
