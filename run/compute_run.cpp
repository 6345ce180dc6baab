#include "compute_run.hpp"

#include "eliminate.hpp"
#include "load_matrix.hpp"
#include "order_limits.hpp"
#include "read_report.hpp"
#include "report.hpp"
#include "save_inputs.hpp"
#include "state.hpp"
#include "system_limits.hpp"

#include <new>
#include <stdexcept>

namespace torvane {

std::function<void()> before_report_read;

namespace {

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

// Creates the file empty, or empties it, and closes it again.
bool reset_file(const char* name)
{
    out_file.discard();
    if (!out_file.open(name))
        return false;
    out_file.close();
    return true;
}

void close_streams()
{
    in_file.close();
    out_file.discard();
}

// A report that cannot be finished is not left looking like one; emptying it also gives
// back the disk space a full disk needs.
void abandon_report()
{
    out_file.discard();
    out_file.clear();
    if (out_file.open(report_file_name))
        out_file.discard();
}

void reset_engine()
{
    dimension = 0;  // an order is never carried over from an earlier run
    step_count = 0;
    matrix.clear();
    row_buffer.clear();
}

run_status check_dimension()
{
    switch (check_order(dimension, physical_memory_bytes(), current_directory_free_bytes())) {
    case order_problem::too_large_for_memory:
        return failure(run_failure::too_large_for_memory);
    case order_problem::too_large_for_disk:
        return failure(run_failure::too_large_for_disk);
    case order_problem::none:
        break;
    }
    return {};
}

// Reads the entries into a matrix of N rows; false when it cannot be held.
bool load_entries()
{
    try {
        read_entries();
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    matrix.clear();
    row_buffer.clear();
    row_buffer.shrink_to_fit();
    return false;
}

void invert_and_write_report()
{
    eliminate_forward();
    eliminate_backward();
    normalize_rows();
    write_inverse_heading();
    write_inverse();
    write_closing_rule();
    out_file.close();
}

run_status show_report(dialog_seam& seam)
{
    if (before_report_read)
        before_report_read();
    report_file_reader report(report_file_name, out_file.bytes_written());
    seam.set_result_text(report);
    if (!report.complete())
        return failure(run_failure::file_not_readable, report_file_name, report.error_number());
    return {};
}

run_status run_with_files(dialog_seam& seam)
{
    reset_engine();  // first, so that a run failing on its files does not report the last run's order
    if (!reset_file(data_file_name))
        return failure(run_failure::file_not_writable, data_file_name, out_file.open_error());
    if (!reset_file(report_file_name))
        return failure(run_failure::file_not_writable, report_file_name, out_file.open_error());
    out_file.clear();
    in_file.clear();
    const std::string dimension_text = seam.dimension_text();
    const std::string data_text = seam.data_text();
    if (run_status saved = save_inputs(dimension_text, data_text); saved.outcome != run_outcome::completed)
        return saved;

    read_dimension();
    if (dimension <= 0) {
        out_file.close();  // completes "mat.data" when the data box was empty
        in_file.close();
        run_status status;
        status.outcome = run_outcome::no_order;
        status.order = dimension;
        return status;
    }
    if (run_status fits = check_dimension(); fits.outcome != run_outcome::completed)
        return fits;
    if (!load_entries())
        return failure(run_failure::too_large_for_memory);
    in_file.close();
    invert_and_write_report();
    return show_report(seam);
}

} // namespace

run_status compute_run(dialog_seam& seam)
{
    run_status status;
    try {
        status = run_with_files(seam);
    } catch (const file_error& error) {
        status = failure(run_failure::file_not_writable, error.file, error.error_number);
        if (error.file == report_file_name)
            abandon_report();
    }
    if (status.outcome != run_outcome::completed)
        close_streams();
    in_file.clear();
    out_file.clear();
    status.order = dimension;
    return status;
}

} // namespace torvane
