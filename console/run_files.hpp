#pragma once
// The run's own scratch files in the current directory. Every run rewrites them, so a
// data source that is one of them would be overwritten by the very run that reads it, and
// output sent to one of them would be overwritten by the run, or overwrite its report.

#include <cstdio>
#include <string>

namespace torvane {

// Whether `path` names the same file as this directory's "mat.data" or "mat.result",
// by device and inode (file index on Windows), whatever its name.
bool is_run_file(const std::string& path);

// The same for a file that may not exist yet: whether writing to `path` would write
// this directory's "mat.data" or "mat.result", by any spelling (./mat.data, an absolute
// path, ../dir/mat.result, a path through a linked directory, a link to one of them,
// even a dangling one), or by a hard link to one that exists.
bool names_run_file(const std::string& path);

// Whether the open `stream` writes to or reads from one of them (a shell redirection).
bool stream_is_run_file(std::FILE* stream);

// Why the run must not start because standard output or standard error is one of them,
// for the user, or empty. The shell has already created or emptied such a file, but the
// run adds nothing to that: output there would be overwritten by the run, or write over
// its report.
std::string output_into_run_file();

} // namespace torvane
