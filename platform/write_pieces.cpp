#include "write_pieces.hpp"

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>

#ifndef _WIN32
#include <limits.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

namespace torvane {

#ifdef _WIN32
// One write for the pieces, through a buffer: the stream translates line ends, and a call
// per piece would cost more than the copy.
int write_pieces(std::FILE* file, const std::vector<std::string_view>& pieces)
{
    std::string joined;
    try {
        for (const std::string_view piece : pieces)
            joined.append(piece);
    } catch (const std::bad_alloc&) {
        return ENOMEM;  // on the writer thread: reported as a failed write, not thrown
    }
    errno = 0;
    if (std::fwrite(joined.data(), 1, joined.size(), file) == joined.size())
        return 0;
    return errno != 0 ? errno : EIO;
}
#else
// The kernel takes the pieces straight from where they are: the lent text is not copied
// into a buffer first.
int write_pieces(std::FILE* file, const std::vector<std::string_view>& pieces)
{
    const int descriptor = fileno(file);
    std::vector<iovec> left;
    try {
        left.reserve(pieces.size());
    } catch (const std::bad_alloc&) {
        return ENOMEM;  // on the writer thread: reported as a failed write, not thrown
    }
    for (const std::string_view piece : pieces)
        if (!piece.empty())
            left.push_back({const_cast<char*>(piece.data()), piece.size()});
    std::size_t first = 0;
    while (first < left.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(left.size() - first, IOV_MAX));
        const ssize_t wrote = ::writev(descriptor, &left[first], count);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return wrote < 0 && errno != 0 ? errno : EIO;
        // Skips what was written: whole pieces, then part of the next.
        auto rest = static_cast<std::size_t>(wrote);
        while (first < left.size() && rest >= left[first].iov_len)
            rest -= left[first++].iov_len;
        if (first < left.size()) {
            left[first].iov_base = static_cast<char*>(left[first].iov_base) + rest;
            left[first].iov_len -= rest;
        }
    }
    return 0;
}
#endif

} // namespace torvane
