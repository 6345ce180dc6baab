#include "report_file_open.hpp"

#include <cerrno>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace torvane {
namespace {

#ifndef _WIN32
// A read lease keeps other processes from opening the report for writing or truncating it
// while it is checked and shown: they wait (up to the kernel's lease-break time) until it
// is closed. Without an owner no signal is sent when one of them asks. Where a lease
// cannot be had (another user's file, a network file system) the checksum still catches
// a change, but only after the text has been handed over.
bool hold_steady(int descriptor)
{
    if (fcntl(descriptor, F_SETLEASE, F_RDLCK) != 0)
        return false;
    if (fcntl(descriptor, F_SETOWN, 0) == 0)
        return true;
    fcntl(descriptor, F_SETLEASE, F_UNLCK);
    return false;
}
#endif

} // namespace

#ifdef _WIN32
bool lease_intact(std::FILE*) { return true; }
#else
bool lease_intact(std::FILE* file) { return fcntl(fileno(file), F_GETLEASE) == F_RDLCK; }
#endif

std::FILE* open_for_reading(const std::string& path, bool& held_steady)
{
    held_steady = false;
#ifdef _WIN32
    return std::fopen(path.c_str(), "r");
#else
    errno = 0;
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (descriptor < 0)
        return nullptr;
    struct stat status {};
    std::FILE* file = nullptr;
    const bool regular = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    if (regular && fcntl(descriptor, F_SETFL, O_RDONLY) == 0) {  // blocking again, for the reads
        held_steady = hold_steady(descriptor);
        file = fdopen(descriptor, "r");
    }
    else if (!regular && errno == 0)
        errno = S_ISDIR(status.st_mode) ? EISDIR : ESPIPE;
    if (!file) {
        const int error = errno;
        ::close(descriptor);
        errno = error;
    }
    return file;
#endif
}


} // namespace torvane
