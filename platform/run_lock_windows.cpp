// The run's lock on Windows: a byte lock (LockFileEx) on "mat.data", which Wine carries out
// as a POSIX record lock that a Linux run sees.
#include "run_lock.hpp"


#include <cerrno>

#include <windows.h>

namespace torvane {

namespace {
// 2^62: no report or input file comes near it, so the lock never gets in a read's way.
constexpr DWORD lock_offset_high = 0x40000000;

OVERLAPPED lock_place()
{
    OVERLAPPED at{};
    at.OffsetHigh = lock_offset_high;
    return at;
}

HANDLE open_shared(const char* name)
{
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int error_number_of(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES : 0;
}
} // namespace

lock_outcome run_lock::open_files()
{
    HANDLE file = open_shared(data_name_);
    const DWORD error = GetLastError();
    if (file == INVALID_HANDLE_VALUE) {
        error_number_ = error_number_of(error);
        file_ = data_name_;
        return lock_outcome::file_unusable;
    }
    handles_[0] = file;
    created_data_ = error != ERROR_ALREADY_EXISTS;
    return lock_outcome::held;
}

run_lock::attempt run_lock::try_once()
{
    OVERLAPPED at = lock_place();
    if (LockFileEx(handles_[0], LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
        return attempt::taken;
    if (GetLastError() == ERROR_LOCK_VIOLATION || GetLastError() == ERROR_IO_PENDING)
        return attempt::taken_elsewhere;
    error_number_ = ENOLCK;
    return attempt::failed;
}

lock_outcome run_lock::open_report_for_writing()
{
    HANDLE file = open_shared(report_name_);
    if (file != INVALID_HANDLE_VALUE) {
        handles_[1] = file;
        return lock_outcome::held;
    }
    error_number_ = error_number_of(GetLastError());
    file_ = report_name_;
    return lock_outcome::file_unusable;
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

void run_lock::forget_new_data_file()
{
    release();
    DeleteFileA(data_name_);
}

} // namespace torvane
