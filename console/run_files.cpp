#include "run_files.hpp"

#include "compute_run.hpp"
#include "file_identity.hpp"

#include <filesystem>
#include <utility>
#include <system_error>

namespace torvane {
namespace {

namespace fs = std::filesystem;

// Where writing to `path` ends up: its links followed, even to a target that does not
// exist yet. A loop of links, or a part that cannot be read, leaves it where it got to.
fs::path final_target(fs::path path)
{
    std::error_code error;
    for (int links = 0; links < 40 && fs::is_symlink(path, error); ++links) {
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// The directory is compared by identity, so "..", linked directories and absolute
// spellings all count.
bool names_a_run_file_of(const fs::path& directory, const fs::path& name)
{
    if (!same_file(directory, "."))
        return false;
    for (const char* run_file : {data_file_name, report_file_name})
        if (same_file_name(name.string(), run_file))
            return true;
    return false;
}

} // namespace

bool is_run_file(const std::string& path)
{
    return same_file(path, data_file_name) || same_file(path, report_file_name);
}

bool names_run_file(const std::string& path)
{
    if (path.empty())
        return false;
    if (is_run_file(path))
        return true;
    const fs::path target = final_target(fs::path(path));
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    return names_a_run_file_of(directory, target.filename());
}

// Where the system gives an open stream no identity (Windows), unchecked.
bool stream_is_run_file(std::FILE* stream)
{
    return stream_is_named(stream, data_file_name) || stream_is_named(stream, report_file_name);
}

std::string output_into_run_file()
{
    for (const auto& [stream, name] : {std::pair{stdout, "standard output"}, std::pair{stderr, "standard error"}})
        if (stream_is_run_file(stream))
            return std::string(name) + " is this directory's own \"mat.data\" or \"mat.result\", which every run "
                                       "rewrites; send it to another file";
    return {};
}

} // namespace torvane
