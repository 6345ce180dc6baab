#include "save_inputs.hpp"

#include "data_read_back.hpp"
#include "state.hpp"

#include <filesystem>
#include <system_error>

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
    // Only a file gives back what was written to it: "mat.data" made a link to a device
    // would read back as nothing (/dev/null, and the boxes' texts would be lost unseen) or
    // without end (/dev/zero, filling memory).
    std::error_code error;
    if (!std::filesystem::is_regular_file(data_file_name, error))
        return file_failure(run_failure::file_not_readable, data_file_name);
    std::string saved;
    if (!read_back_data(data_file_name, written, saved) || !in_file.open_text(saved))
        return file_failure(run_failure::file_not_readable, data_file_name);
    if (!out_file.open(report_file_name, files))
        return file_failure(run_failure::file_not_writable, report_file_name, out_file.open_error());
    return {};
}

} // namespace torvane
