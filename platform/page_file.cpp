#include "page_file.hpp"

#include "file_identity.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace torvane {
namespace {

#ifdef _WIN32
constexpr int binary_flag = _O_BINARY;
int truncate_to_empty(int descriptor) { return _chsize_s(descriptor, 0) == 0 ? 0 : -1; }
constexpr int nonblocking_flag = 0;
#else
constexpr int binary_flag = 0;
int truncate_to_empty(int descriptor) { return ftruncate(descriptor, 0); }
// A named pipe without a reader would hold the open for good; without blocking it fails
// at once (ENXIO) instead.
constexpr int nonblocking_flag = O_NONBLOCK;
#endif

bool write_all(int descriptor, std::string_view text)
{
    while (!text.empty()) {
        const auto chunk = static_cast<unsigned>(std::min<std::size_t>(text.size(), 1u << 30));
        const auto written = ::write(descriptor, text.data(), chunk);
        if (written <= 0) {
            if (written < 0 && errno == EINTR)
                continue;
            if (written == 0)
                errno = EIO;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

page_file::~page_file()
{
    close_untouched();
}

page_file::opening page_file::open(const std::string& path, std::initializer_list<const char*> refused)
{
    path_ = path;
    const int flags = O_WRONLY | binary_flag | nonblocking_flag;
    descriptor_ = ::open(path.c_str(), flags);
    if (descriptor_ < 0 && errno == ENOENT && !path.empty()) {
        descriptor_ = ::open(path.c_str(), flags | O_CREAT | O_EXCL, 0666);
        created_ = descriptor_ >= 0;
    }
    if (descriptor_ < 0) {
        error_ = errno;
        return opening::failed;
    }
#ifndef _WIN32
    const int status = fcntl(descriptor_, F_GETFL);
    if (status >= 0)
        fcntl(descriptor_, F_SETFL, status & ~O_NONBLOCK);
#endif
    for (const char* name : refused)
        if (descriptor_is_named(descriptor_, name)) {
            close_untouched();
            return opening::refused;
        }
    return opening::opened;
}

// A page never written must not be left behind empty, nor one that was there emptied.
void page_file::close_untouched()
{
    if (descriptor_ < 0)
        return;
    const bool remove = created_ && still_named(descriptor_, path_);
    ::close(descriptor_);
    if (remove)
        ::remove(path_.c_str());
    descriptor_ = -1;
}

bool page_file::write(std::string_view text)
{
    struct stat opened {};
    errno = 0;
    const bool emptied = fstat(descriptor_, &opened) == 0 && (!S_ISREG(opened.st_mode) || truncate_to_empty(descriptor_) == 0);
    const bool written = emptied && write_all(descriptor_, text);
    error_ = errno;
    const bool closed = ::close(descriptor_) == 0;
    descriptor_ = -1;
    if (written && !closed)
        error_ = errno;
    return written && closed;
}

} // namespace torvane
