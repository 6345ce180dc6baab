#pragma once
// One run at a time on a pair of files. Two runs writing the same "mat.data" and
// "mat.result" would each truncate and write them and could show the other's report, so
// a run holds this lock from resetting the files until its report has been read back.
// The lock dies with its process: a run that was killed never blocks the next one.
//
// The lock is on the files themselves, as they really are, so runs in two directories
// whose files are one file through a link wait for each other too: an exclusive lock on
// byte 2^62 of "mat.data" (far past its end; no run reads or writes there) and, on Linux,
// flock() on both files and on the directory (which scripts and older runs take). Windows
// takes the byte lock with LockFileEx, which Wine carries out as a POSIX record lock on
// the same byte of the Unix file; Linux takes it as an open-file-description lock, which
// conflicts with POSIX locks. So a Linux run and a Windows run under Wine in one folder
// wait for each other as well.
//
// Opening both files for writing comes before either is emptied: a file that cannot be
// written (read-only, append-only, immutable, a directory) fails the run while both files
// are still as they were. Either is opened for writing only once the flocks are held:
// another run printing its report holds a read lease on it, which that open would break,
// and through a link this run's "mat.data" may be that report.

#include <chrono>
#include <functional>
#include <string>

namespace torvane {

enum class lock_outcome {
    held,          // this run has the files to itself
    busy,          // another run kept them past the waiting limit
    not_lockable,  // the directory cannot be locked here; error_number() says why
    interrupted,   // the wait was stopped from outside
    file_unusable, // file() cannot be opened for writing; error_number() says why
    planted_link,  // file() is another user's symbolic link in a shared sticky directory
    planted_hard_link,  // file() has another name elsewhere, in a shared sticky directory
    foreign_file,  // file() is another user's file there
};

struct lock_wait {
    std::chrono::milliseconds limit;
    std::function<void()> on_waiting;      // once, when the wait has lasted about a second
    std::function<bool()> stop_requested;  // checked while waiting
};

class run_lock {
public:
    // The run's two files, in this directory: the data file and the report.
    run_lock(const char* data_name, const char* report_name) : data_name_(data_name), report_name_(report_name) {}
    ~run_lock();
    run_lock(const run_lock&) = delete;
    run_lock& operator=(const run_lock&) = delete;

    lock_outcome acquire(const lock_wait& wait);
    int error_number() const { return error_number_; }
    // The file a failure concerns.
    const std::string& file() const { return file_; }

private:
    enum class attempt { taken, taken_elsewhere, failed, refused };
    lock_outcome open_files();
    attempt try_once();
    lock_outcome open_report_for_writing();
    lock_outcome report_writable();
    void forget_new_data_file();
    void release();
    void unlock();

    const char* data_name_;
    const char* report_name_;
    void* handles_[2] = {nullptr, nullptr};  // Windows: both files, shared, with the byte locks
    int directory_ = -1;
    int descriptors_[2] = {-1, -1};  // opened for reading, for the flocks
    int data_writer_ = -1;           // "mat.data" opened for writing, for the byte lock
    bool same_file_ = false;  // one file under both names: it is locked once
    bool created_data_ = false;  // "mat.data" did not exist before this run
    lock_outcome refused_ = lock_outcome::file_unusable;  // why, after attempt::refused
    int error_number_ = 0;
    std::string file_;
};

} // namespace torvane
