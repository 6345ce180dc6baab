#include "run_lock.hpp"

#include "compute_run.hpp"

#include <cerrno>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include "claim_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#endif

namespace torvane {
namespace {

constexpr auto announce_after = std::chrono::seconds(1);
constexpr auto poll_interval = std::chrono::milliseconds(20);
constexpr const char* file_names[2] = {data_file_name, report_file_name};

} // namespace

#ifdef _WIN32

namespace {
// 2^62: no report or input file comes near it, so the lock never gets in a read's way.
constexpr DWORD lock_offset_high = 0x40000000;

OVERLAPPED lock_place()
{
    OVERLAPPED at{};
    at.OffsetHigh = lock_offset_high;
    return at;
}
} // namespace

lock_outcome run_lock::open_files()
{
    for (int f = 0; f < 2; ++f) {
        HANDLE file = CreateFileA(file_names[f], GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = GetLastError();
        if (file == INVALID_HANDLE_VALUE) {
            error_number_ = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES : 0;
            file_ = file_names[f];
            // Both files or neither: the data file made just now goes again.
            if (f == 1 && created_data_) {
                CloseHandle(handles_[0]);
                handles_[0] = nullptr;
                DeleteFileA(data_file_name);
            }
            return lock_outcome::file_unusable;
        }
        handles_[f] = file;
        if (f == 0)
            created_data_ = error != ERROR_ALREADY_EXISTS;
    }
    return lock_outcome::held;
}

run_lock::attempt run_lock::try_once()
{
    for (int f = 0; f < 2; ++f) {
        OVERLAPPED at = lock_place();
        if (LockFileEx(handles_[f], LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
            continue;
        const DWORD error = GetLastError();
        if (f == 1) {
            at = lock_place();
            UnlockFileEx(handles_[0], 0, 1, 0, &at);
        }
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
            return attempt::taken_elsewhere;
        error_number_ = ENOLCK;
        return attempt::failed;
    }
    return attempt::taken;
}

void run_lock::release()
{
    for (void*& handle : handles_) {
        if (!handle)
            continue;
        OVERLAPPED at = lock_place();
        UnlockFileEx(handle, 0, 1, 0, &at);
        CloseHandle(handle);
        handle = nullptr;
    }
}

#else

namespace {

constexpr off_t lock_offset = off_t{1} << 62;

// An open-file-description lock: it belongs to this descriptor alone, so the run's other
// opens and closes of the same file leave it in place (a POSIX lock would go with the
// first close of any of them). 0 when taken or when the file system keeps no locks.
int lock_byte(int descriptor, short type)
{
    struct flock place {};
    place.l_type = type;
    place.l_whence = SEEK_SET;
    place.l_start = lock_offset;
    place.l_len = 1;
    if (fcntl(descriptor, F_OFD_SETLK, &place) == 0)
        return 0;
    if (errno == EAGAIN || errno == EACCES || errno == EINTR)
        return EAGAIN;
    return 0;  // no locks here: the directory's lock and the checks on reading back remain
}

// flock() on the file: between runs of this program it works on a descriptor opened for
// reading too. 0 when taken or when the file system keeps no locks.
int lock_whole(int descriptor)
{
    if (flock(descriptor, LOCK_EX | LOCK_NB) == 0)
        return 0;
    return errno == EWOULDBLOCK || errno == EINTR ? EAGAIN : 0;
}

bool same_file(int first, int second)
{
    struct stat a {}, b {};
    return fstat(first, &a) == 0 && fstat(second, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The report is held open for reading only: while anything has it open for writing, no
// read lease can be had on it when it is read back.
int read_only_again(int descriptor, const char* name)
{
    const std::string same_open = "/proc/self/fd/" + std::to_string(descriptor);
    int again = ::open(same_open.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (again < 0)
        again = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ::close(descriptor);
    return again;
}

} // namespace

lock_outcome run_lock::open_files()
{
    for (int f = 0; f < 2; ++f) {
        const claimed_file claim = claim_file(file_names[f]);
        if (claim.descriptor < 0) {
            file_ = file_names[f];
            error_number_ = claim.error_number;
            // Both files or neither: the data file made just now goes again.
            if (f == 1 && created_data_)
                ::unlink(data_file_name);
            return claim.planted ? lock_outcome::planted_link : lock_outcome::file_unusable;
        }
        descriptors_[f] = f == 1 ? read_only_again(claim.descriptor, file_names[f]) : claim.descriptor;
        if (f == 0)
            created_data_ = claim.created;
    }
    same_file_ = descriptors_[1] >= 0 && same_file(descriptors_[0], descriptors_[1]);
    return lock_outcome::held;
}

run_lock::attempt run_lock::try_once()
{
    if (directory_ < 0) {
        directory_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (directory_ < 0) {
            error_number_ = errno;
            return attempt::failed;
        }
    }
    if (flock(directory_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK || errno == EINTR)
            return attempt::taken_elsewhere;
        error_number_ = errno;
        return attempt::failed;
    }
    // "mat.data" carries the byte lock Wine sees; both files carry a flock, which keeps
    // out a run whose other file is this one through a link.
    const bool taken = lock_byte(descriptors_[0], F_WRLCK) == 0 && lock_whole(descriptors_[0]) == 0 &&
                       (same_file_ || descriptors_[1] < 0 || lock_whole(descriptors_[1]) == 0);
    if (taken)
        return attempt::taken;
    unlock();
    return attempt::taken_elsewhere;
}

// Gives the locks up between attempts, so that two runs that each hold one never wait
// on each other.
void run_lock::unlock()
{
    if (descriptors_[0] >= 0)
        lock_byte(descriptors_[0], F_UNLCK);
    for (const int descriptor : descriptors_)
        if (descriptor >= 0)
            flock(descriptor, LOCK_UN);
    if (directory_ >= 0)
        flock(directory_, LOCK_UN);
}

void run_lock::release()
{
    for (int& descriptor : descriptors_) {
        if (descriptor >= 0)
            ::close(descriptor);  // closing drops the lock
        descriptor = -1;
    }
    if (directory_ >= 0)
        ::close(directory_);
    directory_ = -1;
}

#endif

run_lock::~run_lock() { release(); }

lock_outcome run_lock::acquire(const lock_wait& wait)
{
    if (const lock_outcome opened = open_files(); opened != lock_outcome::held) {
        release();
        return opened;
    }
    const auto started = std::chrono::steady_clock::now();
    bool announced = false;
    for (;;) {
        switch (try_once()) {
        case attempt::taken:
            return lock_outcome::held;
        case attempt::failed:
            release();
            return lock_outcome::not_lockable;
        case attempt::taken_elsewhere:
            break;
        }
        if (wait.stop_requested && wait.stop_requested())
            return lock_outcome::interrupted;
        const auto waited = std::chrono::steady_clock::now() - started;
        if (waited >= wait.limit)
            return lock_outcome::busy;
        if (!announced && waited >= announce_after && wait.on_waiting) {
            announced = true;
            wait.on_waiting();
        }
        std::this_thread::sleep_for(poll_interval);
    }
}

} // namespace torvane
