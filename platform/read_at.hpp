#pragma once
// Reading an open file at a given place without moving its position, so that two threads
// can read one file at once, each its own piece.

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace torvane {

// Windows' C runtime has no such read, and its text mode changes the bytes a handle
// would give: there a file is read in turn through its stream.
#ifdef _WIN32
constexpr bool reads_at_offsets = false;
#else
constexpr bool reads_at_offsets = true;
#endif

// What one read gave: its bytes, and the errno of a failure (read on another thread,
// whose errno the caller's does not see).
struct piece_read {
    std::size_t bytes = 0;
    int error_number = 0;
};

// `size` bytes from `offset` on, or fewer where the file ends. Where reads_at_offsets is
// false, nothing is read and the error is ENOSYS.
piece_read read_at(std::FILE* file, char* into, std::size_t size, std::uint64_t offset);

} // namespace torvane
