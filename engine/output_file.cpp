#include "output_file.hpp"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace torvane {
namespace {

constexpr std::size_t buffer_size = std::size_t{1} << 20;

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
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK, 0666);
    if (descriptor < 0)
        return nullptr;
    const int flags = fcntl(descriptor, F_GETFL);
    std::FILE* file = nullptr;
    if (flags >= 0 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0)
        file = fdopen(descriptor, "w");
    if (!file)
        ::close(descriptor);
    return file;
#endif
}

} // namespace

file_error::file_error(std::string file_name, int error)
    : std::runtime_error(file_name + ": " + std::strerror(error)), file(std::move(file_name)), error_number(error)
{
}

output_file::output_file() : buffer_(new char[buffer_size]), capacity_(buffer_size) {}

output_file::~output_file()
{
    if (file_)
        std::fclose(file_);
}

bool output_file::open(const std::string& path)
{
    if (file_) {
        failed_ = true;
        return false;
    }
    // Text mode: on Windows every LF written lies on disk as CR LF.
    errno = 0;
    file_ = open_for_writing(path);
    if (!file_) {
        open_error_ = errno;
        failed_ = true;
        return false;
    }
    std::setvbuf(file_, nullptr, _IONBF, 0);  // our own buffer is the only one
    path_ = path;
    used_ = 0;
    written_ = 0;
    checksum_ = {};
    return true;
}

void output_file::close()
{
    if (!file_) {
        failed_ = true;
        return;
    }
    flush_buffer();
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(file) != 0)
        fail_with(errno);
}

void output_file::discard()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    used_ = 0;
}

bool output_file::writable() { return file_ && !failed_; }

void output_file::write(std::string_view bytes)
{
    if (!writable()) {
        failed_ = true;
        return;
    }
    if (used_ + bytes.size() > capacity_)
        flush_buffer();
    if (bytes.size() > capacity_) {
        written_ += bytes.size();
        checksum_.add(bytes);
        errno = 0;
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
            fail_with(errno);
        return;
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    written_ += bytes.size();
}

char* output_file::reserve(std::size_t size)
{
    reserved_scratch_ = !writable();
    if (reserved_scratch_) {
        // Text for a stream that drops it goes to scratch space, so whatever an earlier
        // write left in the buffer still reaches the file when it is closed.
        if (scratch_size_ < size) {
            scratch_.reset(new char[size]);
            scratch_size_ = size;
        }
        return scratch_.get();
    }
    if (used_ + size > capacity_) {
        flush_buffer();
        if (size > capacity_) {
            buffer_.reset(new char[size]);
            capacity_ = size;
        }
    }
    reserved_at_ = used_;
    return buffer_.get() + used_;
}

void output_file::commit(const char* end)
{
    if (reserved_scratch_ || !writable()) {
        failed_ = true;
        return;
    }
    const auto size = static_cast<std::size_t>(end - (buffer_.get() + reserved_at_));
    used_ = reserved_at_ + size;
    written_ += size;
}

void output_file::flush_buffer()
{
    if (used_ == 0 || !file_)
        return;
    const std::size_t size = used_;
    used_ = 0;
    checksum_.add(std::string_view(buffer_.get(), size));
    errno = 0;
    if (std::fwrite(buffer_.get(), 1, size, file_) != size)
        fail_with(errno);
}

void output_file::fail_with(int error_number)
{
    failed_ = true;
    throw file_error(path_, error_number != 0 ? error_number : EIO);
}

} // namespace torvane
