#pragma once
// The run's own scratch files in the current directory. Every run rewrites them, so a
// data source that is one of them would be overwritten by the very run that reads it.

#include <string>

namespace torvane {

// Whether `path` names the same file as this directory's "mat.data" or "mat.result",
// by device and inode (file index on Windows), whatever its name.
bool is_run_file(const std::string& path);

// The same for standard input, when it is redirected from a file.
bool standard_input_is_run_file();

} // namespace torvane
