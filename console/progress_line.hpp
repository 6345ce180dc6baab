#pragma once
// A progress line on a terminal's stderr for runs that take more than about a second:
// "pass k of 2N - 2". Never shown when stderr is not a terminal; never in the report.

#include <cstdio>

namespace torvane {

class progress_line {
public:
    explicit progress_line(std::FILE* terminal);
    ~progress_line();
    // Takes the line off the terminal, before the report or a message is printed there.
    void clear();
    progress_line(const progress_line&) = delete;
    progress_line& operator=(const progress_line&) = delete;
};

} // namespace torvane
