#include "run_files.hpp"

#include "compute_run.hpp"

#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace torvane {
namespace {

bool same_file(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code error;  // either one missing: not the same file
    return std::filesystem::equivalent(a, b, error) && !error;
}

} // namespace

bool is_run_file(const std::string& path)
{
    return same_file(path, data_file_name) || same_file(path, report_file_name);
}

bool standard_input_is_run_file()
{
#ifdef _WIN32
    return false;  // the C runtime does not say which file standard input is; unchecked there
#else
    struct stat input {};
    if (fstat(STDIN_FILENO, &input) != 0 || !S_ISREG(input.st_mode))
        return false;
    for (const char* name : {data_file_name, report_file_name}) {
        struct stat run_file {};
        if (stat(name, &run_file) == 0 && run_file.st_dev == input.st_dev && run_file.st_ino == input.st_ino)
            return true;
    }
    return false;
#endif
}

} // namespace torvane
