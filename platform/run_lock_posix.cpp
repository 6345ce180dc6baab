// The run's lock on Linux: flock on the directory and on both files, and the byte lock on
// "mat.data" that Wine's runs see.
#include "run_lock.hpp"

#include "claim_file.hpp"
#include "file_identity.hpp"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvane {

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

lock_outcome refusal(const claimed_file& claim)
{
    if (claim.planted)
        return lock_outcome::planted_link;
    if (claim.hard_linked)
        return lock_outcome::planted_hard_link;
    return claim.foreign ? lock_outcome::foreign_file : lock_outcome::file_unusable;
}

} // namespace

// Both files are held open for reading only until the lock is had: a run printing its
// report holds a read lease on it, which an open for writing would break, and either file
// may be that report through a link.
lock_outcome run_lock::open_files()
{
    for (int f = 0; f < 2; ++f) {
        const char* name = f == 0 ? data_name_ : report_name_;
        claimed_file claim = claim_file(name, claim_mode::reading);
        // A "mat.data" this user may write but not read is written all the same; reading
        // it back then fails, and the run says so.
        if (f == 0 && claim.descriptor < 0 && claim.error_number == EACCES)
            claim = claim_file(name, claim_mode::writing);
        if (claim.descriptor < 0) {
            file_ = name;
            error_number_ = claim.error_number;
            if (f == 1 && created_data_)
                forget_new_data_file();
            return refusal(claim);
        }
        descriptors_[f] = claim.descriptor;
        if (f == 0)
            created_data_ = claim.created;
    }
    same_file_ = same_open_file(descriptors_[0], descriptors_[1]);
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
    // Both files carry a flock, which keeps out a run whose other file is this one through
    // a link; "mat.data" carries the byte lock Wine sees, which needs it open for writing,
    // and that open waits until no run of ours holds the files.
    if (lock_whole(descriptors_[0]) != 0 || (!same_file_ && lock_whole(descriptors_[1]) != 0)) {
        unlock();
        return attempt::taken_elsewhere;
    }
    if (data_writer_ < 0) {
        const claimed_file claim = claim_file(data_name_, claim_mode::writing);
        if (claim.descriptor < 0) {
            file_ = data_name_;
            error_number_ = claim.error_number;
            refused_ = refusal(claim);
            unlock();
            return attempt::refused;
        }
        data_writer_ = claim.descriptor;
    }
    if (lock_byte(data_writer_, F_WRLCK) == 0)
        return attempt::taken;
    unlock();
    return attempt::taken_elsewhere;
}

// Whether the report can be written, asked once the lock is held and before either file
// is emptied.
lock_outcome run_lock::open_report_for_writing()
{
    const claimed_file claim = claim_file(report_name_, claim_mode::writing);
    if (claim.descriptor >= 0) {
        ::close(claim.descriptor);
        return lock_outcome::held;
    }
    file_ = report_name_;
    error_number_ = claim.error_number;
    return refusal(claim);
}

// Gives the locks up between attempts, so that two runs that each hold one never wait
// on each other.
void run_lock::unlock()
{
    if (data_writer_ >= 0)
        lock_byte(data_writer_, F_UNLCK);
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
    if (data_writer_ >= 0)
        ::close(data_writer_);
    data_writer_ = -1;
    if (directory_ >= 0)
        ::close(directory_);
    directory_ = -1;
}

void run_lock::forget_new_data_file()
{
    release();
    ::unlink(data_name_);
}

} // namespace torvane
