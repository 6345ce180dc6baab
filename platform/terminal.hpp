#pragma once
// What the console program asks of its terminal and standard streams.

#include <cstdio>

namespace torvane {

// `other`: a character set that is neither, such as the C locale's ASCII. The labels are
// then still written in UTF-8, the likeliest to show, but signs such as "×" are not.
enum class terminal_encoding { utf8, gbk, other };

// The encoding of the user's locale (LC_CTYPE); on Windows, GBK for the console's code
// page 936 and UTF-8 for any other.
terminal_encoding locale_terminal_encoding();

// Whether a stream is a terminal.
bool is_terminal(std::FILE* stream);

// Bytes reach the stream as they are: on Windows the C runtime would turn each LF into
// CR LF, and the report's CR LF into CR CR LF.
void write_unchanged(std::FILE* stream);

// A pipe that holds 1 MiB, the size of the pieces the report is read in, instead of 64 KiB:
// a sixteenth of the switches between this program and its reader. Where the pipe cannot
// grow (a limit set lower, not a pipe), nothing changes.
void widen_pipe(std::FILE* stream);

} // namespace torvane
