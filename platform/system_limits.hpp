#pragma once
// What this machine can give a run: memory for the working matrix, disk for the report.

#include <cstdint>

namespace torvane {

std::uint64_t physical_memory_bytes();
// This process's address-space limit (ulimit -v); the largest value when there is none.
std::uint64_t address_space_limit_bytes();
// The memory a run may have at most: the smaller of the two.
std::uint64_t usable_memory_bytes();
// Free space for an unprivileged writer in the current directory's file system; the
// largest value when it cannot be told, so that an unknown never refuses a run.
std::uint64_t current_directory_free_bytes();

} // namespace torvane
