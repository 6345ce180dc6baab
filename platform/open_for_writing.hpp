#pragma once
// Opening a file to be written from the start, in the platform's text mode, without
// waiting on a named pipe that nobody reads.

#include <cstdio>
#include <string>

namespace torvane {

// Creates the file or truncates it to empty. Returns nullptr with errno set when it cannot
// be opened; a named pipe or a socket is refused with ESPIPE.
std::FILE* open_for_writing(const std::string& path);

} // namespace torvane
