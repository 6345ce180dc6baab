#include "read_report.hpp"

#include "content_checksum.hpp"

#include <cerrno>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace torvane {
namespace {

constexpr std::size_t piece_size = std::size_t{1} << 20;

#ifndef _WIN32
// A read lease keeps other processes from opening the report for writing or truncating it
// while it is checked and shown: they wait (up to the kernel's lease-break time) until it
// is closed. Without an owner no signal is sent when one of them asks. Where a lease
// cannot be had (another user's file, a network file system) the checksum still catches
// a change, but only after the text has been handed over.
void hold_steady(int descriptor)
{
    if (fcntl(descriptor, F_SETLEASE, F_RDLCK) == 0 && fcntl(descriptor, F_SETOWN, 0) != 0)
        fcntl(descriptor, F_SETLEASE, F_UNLCK);
}
#endif

// Opens the report for reading in text mode. Only a regular file can give back what was
// written to it; anything else is refused at once (ESPIPE) rather than read: a named
// pipe with no writer would block the open for good.
std::FILE* open_for_reading(const std::string& path)
{
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
        hold_steady(descriptor);
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

} // namespace

report_file_reader::report_file_reader(std::string path, written_report expected)
    : path_(std::move(path)), expected_(expected)
{
}

report_file_reader::~report_file_reader() = default;

// A second pass reads the same open file again, so a report swapped for another file
// between the check and the showing is not what gets shown.
bool report_file_reader::open_or_rewind()
{
    errno = 0;
    bool ready;
    if (file_) {
        ready = std::fseek(file_.get(), 0, SEEK_SET) == 0;
    } else {
        file_.reset(open_for_reading(path_));
        ready = file_ != nullptr;
    }
    if (!ready)
        error_number_ = errno;
    return ready;
}

bool report_file_reader::pass(const sink* consume)
{
    complete_ = false;
    if (!open_or_rewind())
        return false;
    std::unique_ptr<char[]> piece(new char[piece_size]);
    std::uint64_t total = 0;
    content_checksum checksum;
    std::size_t got;
    while ((got = std::fread(piece.get(), 1, piece_size, file_.get())) > 0) {
        total += got;
        if (total > expected_.bytes)
            return false;
        const std::string_view bytes(piece.get(), got);
        checksum.add(bytes);
        if (consume)
            (*consume)(bytes);
    }
    if (std::ferror(file_.get())) {
        error_number_ = errno;
        return false;
    }
    complete_ = total == expected_.bytes && checksum.value() == expected_.checksum;
    return complete_;
}

bool report_file_reader::verify() { return pass(nullptr); }

bool report_file_reader::read(const sink& consume) { return pass(&consume); }

bool read_report(report_source& report, std::string& text)
{
    text.clear();
    return report.read([&text](std::string_view piece) { text.append(piece); });
}

} // namespace torvane
