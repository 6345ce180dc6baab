#pragma once
// The straightforward way to do a compute run, kept as the yardstick the benchmarks
// measure against: a vector of row vectors, `ofstream << value` for every number, the
// report read back one character at a time. It writes the same "mat.data" and
// "mat.result" as the real run, byte for byte, for well-formed input.

#include <string>

namespace torvane::baseline {

// Runs in the current directory and returns the report text (empty when N <= 0).
std::string compute_run(const std::string& dimension_text, const std::string& data_text);

} // namespace torvane::baseline
