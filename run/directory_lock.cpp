#include "directory_lock.hpp"

#include "compute_run.hpp"

#include <cerrno>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace torvane {
namespace {

constexpr auto announce_after = std::chrono::seconds(1);
constexpr auto poll_interval = std::chrono::milliseconds(20);

} // namespace

#ifdef _WIN32

namespace {
// 2^62: no report or input file comes near it, so the lock never gets in a read's way.
constexpr DWORD lock_offset_high = 0x40000000;
} // namespace

directory_lock::attempt directory_lock::try_once()
{
    if (!handle_) {
        HANDLE file = CreateFileA(data_file_name, GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return attempt::no_data_file;
        handle_ = file;
    }
    OVERLAPPED at{};
    at.OffsetHigh = lock_offset_high;
    if (LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
        return attempt::taken;
    if (GetLastError() == ERROR_LOCK_VIOLATION || GetLastError() == ERROR_IO_PENDING)
        return attempt::taken_elsewhere;
    error_number_ = ENOLCK;
    return attempt::failed;
}

void directory_lock::release()
{
    if (!handle_)
        return;
    OVERLAPPED at{};
    at.OffsetHigh = lock_offset_high;
    UnlockFileEx(handle_, 0, 1, 0, &at);
    CloseHandle(handle_);
    handle_ = nullptr;
}

#else

directory_lock::attempt directory_lock::try_once()
{
    if (descriptor_ < 0) {
        descriptor_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor_ < 0) {
            error_number_ = errno;
            return attempt::failed;
        }
    }
    if (flock(descriptor_, LOCK_EX | LOCK_NB) == 0)
        return attempt::taken;
    if (errno == EWOULDBLOCK || errno == EINTR)
        return attempt::taken_elsewhere;
    error_number_ = errno;
    return attempt::failed;
}

void directory_lock::release()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);  // closing drops the lock
    descriptor_ = -1;
}

#endif

directory_lock::~directory_lock() { release(); }

lock_outcome directory_lock::acquire(const lock_wait& wait)
{
    const auto started = std::chrono::steady_clock::now();
    bool announced = false;
    for (;;) {
        switch (try_once()) {
        case attempt::taken:
            return lock_outcome::held;
        case attempt::failed:
            release();
            return lock_outcome::not_lockable;
        case attempt::no_data_file:
            return lock_outcome::data_file_unusable;
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
