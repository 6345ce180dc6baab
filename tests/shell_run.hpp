#pragma once
// A shell line run as a user runs it, in the current (scratch) directory, with what it
// printed on each stream and its exit status. Linux only.

#include "test_support.hpp"

#include <cstdlib>
#include <string>

#include <sys/wait.h>

namespace torvane::testing {

struct finished {
    int status;  // -1 when the shell did not exit normally
    std::string out;
    std::string err;
};

// Runs `line` with standard input from `input_path`, its output kept in stdout.txt and
// stderr.txt.
inline finished run_shell(const std::string& line, const std::string& input_path = "/dev/null")
{
    const int raw = std::system(("{ " + line + "; } < '" + input_path + "' > stdout.txt 2> stderr.txt").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file("stdout.txt"), read_file("stderr.txt")};
}

} // namespace torvane::testing
