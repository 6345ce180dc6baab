#include "open_for_writing.hpp"

#include <cerrno>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace torvane {

#ifndef _WIN32
namespace {

// Truncates only a file that holds something. On ext4, truncating even an empty file
// marks it to have all its new blocks allocated and written out when it is closed (a
// guard for programs that rewrite a file without syncing): for a report of hundreds of
// megabytes that flush costs more than writing it. The run empties its report once,
// before reading its input, and opens it again for writing: that second open truncates
// nothing.
bool empty_file(int descriptor)
{
    struct stat opened {};
    if (fstat(descriptor, &opened) != 0)
        return false;
    return !S_ISREG(opened.st_mode) || opened.st_size == 0 || ftruncate(descriptor, 0) == 0;
}

} // namespace
#endif

// Creates the file or truncates it, for writing in text mode. Where a file can be a FIFO,
// one without a reader would block the open for good and the program would never answer
// again; opened without blocking, that fails at once (ENXIO) instead, and the stream then
// blocks as usual.
std::FILE* open_for_writing(const std::string& path)
{
#ifdef _WIN32
    return std::fopen(path.c_str(), "w");
#else
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && (S_ISFIFO(existing.st_mode) || S_ISSOCK(existing.st_mode))) {
        errno = ESPIPE;
        return nullptr;
    }
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK, 0666);
    if (descriptor < 0)
        return nullptr;
    const int flags = fcntl(descriptor, F_GETFL);
    std::FILE* file = nullptr;
    if (flags >= 0 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0 && empty_file(descriptor))
        file = fdopen(descriptor, "w");
    if (!file)
        ::close(descriptor);
    return file;
#endif
}

} // namespace torvane
