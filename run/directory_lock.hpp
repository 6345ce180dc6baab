#pragma once
// One run at a time in a directory. Two runs there would truncate and write the same
// "mat.data" and "mat.result" and each could show the other's report, so a run holds
// this lock from resetting the files until its report has been read back. The lock dies
// with its process: a run that was killed never blocks the next one.
//
// Linux: flock() on the directory itself, so no file of its own is left behind.
// Windows: a byte range far past the end of "mat.data" locked with LockFileEx (the run
// never reads or writes there), which Wine honours between its processes too.

#include <chrono>
#include <functional>

namespace torvane {

enum class lock_outcome {
    held,         // this run has the directory to itself
    busy,         // another run kept it past the waiting limit
    not_lockable, // the file system cannot lock here; error_number() says why
    interrupted,  // the wait was stopped from outside
    data_file_unusable, // Windows: "mat.data", which carries the lock, cannot be opened
};

struct lock_wait {
    std::chrono::milliseconds limit;
    std::function<void()> on_waiting;      // once, when the wait has lasted about a second
    std::function<bool()> stop_requested;  // checked while waiting
};

class directory_lock {
public:
    directory_lock() = default;
    ~directory_lock();
    directory_lock(const directory_lock&) = delete;
    directory_lock& operator=(const directory_lock&) = delete;

    lock_outcome acquire(const lock_wait& wait);
    int error_number() const { return error_number_; }

private:
    enum class attempt { taken, taken_elsewhere, failed, no_data_file };
    attempt try_once();
    void release();

#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int descriptor_ = -1;
#endif
    int error_number_ = 0;
};

} // namespace torvane
