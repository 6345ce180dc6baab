#include "save_inputs.hpp"

#include "state.hpp"

namespace torvane {
namespace {

run_status file_failure(run_failure failure, const char* file)
{
    run_status status;
    status.outcome = run_outcome::failed;
    status.failure = failure;
    status.file = file;
    return status;
}

} // namespace

run_status save_inputs(std::string_view dimension_text, std::string_view data_text)
{
    if (!dimension_text.empty()) {
        if (!out_file.open(data_file_name))
            return file_failure(run_failure::file_not_writable, data_file_name);
        out_file.write(dimension_text);
        out_file.put('\n');
    }
    if (data_text.empty())
        return {};
    out_file.write(data_text);
    out_file.close();
    if (!in_file.open(data_file_name))
        return file_failure(run_failure::file_not_readable, data_file_name);
    if (!out_file.open(report_file_name))
        return file_failure(run_failure::file_not_writable, report_file_name);
    return {};
}

} // namespace torvane
