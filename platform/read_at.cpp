#include "read_at.hpp"

#include <cerrno>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace torvane {

piece_read read_at([[maybe_unused]] std::FILE* file, [[maybe_unused]] char* into, [[maybe_unused]] std::size_t size,
                   [[maybe_unused]] std::uint64_t offset)
{
    piece_read read;
#ifdef _WIN32
    read.error_number = ENOSYS;
#else
    const int descriptor = fileno(file);
    while (read.bytes < size) {
        const ssize_t got = pread(descriptor, into + read.bytes, size - read.bytes, static_cast<off_t>(offset + read.bytes));
        if (got > 0) {
            read.bytes += static_cast<std::size_t>(got);
        } else if (got == 0 || errno != EINTR) {
            read.error_number = got < 0 ? errno : 0;
            break;
        }
    }
#endif
    return read;
}

} // namespace torvane
