#include "save_inputs.hpp"

#include "data_read_back.hpp"
#include "state.hpp"


namespace torvane {
namespace {

run_status file_failure(run_failure failure, const char* file, int error_number = 0)
{
    run_status status;
    status.outcome = run_outcome::failed;
    status.failure = failure;
    status.file = file;
    status.error_number = error_number;
    return status;
}

} // namespace

run_status save_inputs(std::string_view dimension_text, std::string_view data_text, const file_system& files)
{
    if (!dimension_text.empty()) {
        if (!out_file.open(data_file_name, files))
            return file_failure(run_failure::file_not_writable, data_file_name, out_file.open_error());
        out_file.write(dimension_text);
        out_file.put('\n');
    }
    if (data_text.empty())
        return {};
    out_file.write(data_text);
    out_file.close();
    const written_report written{out_file.bytes_written(), out_file.checksum(), out_file.checksum_key()};
    std::string saved;
    int error = 0;
    if (!read_back_data(files, data_file_name, written, saved, error) || !in_file.open_text(saved))
        return file_failure(run_failure::file_not_readable, data_file_name, error);
    if (!out_file.open(report_file_name, files))
        return file_failure(run_failure::file_not_writable, report_file_name, out_file.open_error());
    return {};
}

} // namespace torvane
