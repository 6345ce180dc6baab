#pragma once
// Which file a name or an open descriptor is. Names are followed through their links; an
// open file is known by its device and inode. Windows' C runtime gives an open file no
// such identity, so the checks on descriptors say "not known" (false) there.

#include <cstdio>
#include <filesystem>
#include <string>

namespace torvane {

// Whether both names lead to one file; either one missing: not the same file.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b);

// Whether two names are equal as the file system compares them: on Windows, letter case aside.
bool same_file_name(std::string a, std::string b);

// Whether both open descriptors are one file.
bool same_open_file(int first, int second);

// Whether `name` leads to the file open as `descriptor`.
bool descriptor_is_named(int descriptor, const char* name);

// Whether `stream` is a regular file (not a pipe, terminal or device) that `name` leads to.
bool stream_is_named(std::FILE* stream, const char* name);

// Whether `path` still leads to the file open as `descriptor`: a file put in its place
// since is not this program's. An open file cannot be replaced on Windows: always true.
bool still_named(int descriptor, const std::string& path);

} // namespace torvane
