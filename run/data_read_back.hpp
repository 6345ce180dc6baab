#pragma once
// "mat.data" read back for the engine, checked against what the run wrote into it.

#include "report_file_reader.hpp"

#include <string>

namespace torvane {

// Reads "mat.data" whole through `files` (as bytes: the engine takes CR and LF alike as
// blanks) into `text`. False when it does not hold exactly the bytes written, `expected`
// (before any text-mode translation): another program wrote to it, or it is a link that
// another run shares, between the writing and the reading; or it could not be opened or
// read, and then `error` is the errno.
bool read_back_data(const file_system& files, const char* path, written_report expected, std::string& text,
                    int& error);

} // namespace torvane
