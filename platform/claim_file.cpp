#include "claim_file.hpp"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvane {
namespace {


// Sticky and writable by everyone: others may put files, links among them, here, but
// cannot remove or replace the ones this user owns.
bool shared_sticky(const struct stat& directory)
{
    return (directory.st_mode & S_ISVTX) != 0 && (directory.st_mode & S_IWOTH) != 0;
}

int open_or_create(const char* name, int flags, bool& created)
{
    flags |= O_NONBLOCK | O_CLOEXEC;
    int descriptor = ::open(name, flags);
    if (descriptor >= 0 || errno != ENOENT)
        return descriptor;
    descriptor = ::open(name, flags | O_CREAT | O_EXCL, 0666);
    if (descriptor >= 0) {
        created = true;
        return descriptor;
    }
    // Made meanwhile, where links are not followed: opened as it now is, so that a link or
    // another user's file put there in between is named as such, not met as a refusal of
    // the kernel's (EACCES).
    if (errno == EEXIST && (flags & O_NOFOLLOW) != 0)
        return ::open(name, flags);
    // A link into a missing directory, or a file made meanwhile: as an open for writing would.
    return ::open(name, flags | O_CREAT, 0666);
}

// Owned by the user running or by the directory's owner: no one else can remove or
// replace it in a sticky directory.
bool owned_here(const struct stat& entry, const struct stat& directory)
{
    return entry.st_uid == geteuid() || entry.st_uid == directory.st_uid;
}

// Whether a symbolic link `name` may be followed in this shared directory.
bool trusted_link(const char* name, const struct stat& directory)
{
    struct stat link {};
    return lstat(name, &link) == 0 && S_ISLNK(link.st_mode) && owned_here(link, directory);
}

} // namespace

claimed_file claim_file(const char* name, claim_mode mode)
{
    const int access = mode == claim_mode::writing ? O_WRONLY : O_RDONLY;
    claimed_file claim;
    struct stat directory {};
    const bool guarded = stat(".", &directory) == 0 && shared_sticky(directory);
    errno = 0;
    claim.descriptor = open_or_create(name, access | (guarded ? O_NOFOLLOW : 0), claim.created);
    bool followed = false;
    if (claim.descriptor < 0 && guarded && errno == ELOOP) {
        if (!trusted_link(name, directory)) {
            claim.planted = true;
            return claim;
        }
        followed = true;
        claim.descriptor = open_or_create(name, access, claim.created);
    }
    if (claim.descriptor < 0) {
        // ENXIO: a named pipe that nobody reads
        claim.error_number = errno == ENXIO ? ESPIPE : errno;
        return claim;
    }
    struct stat opened {};
    if (fstat(claim.descriptor, &opened) != 0)
        return claim;
    if (S_ISFIFO(opened.st_mode) || S_ISSOCK(opened.st_mode))
        claim.error_number = ESPIPE;
    else if (guarded && !followed && !owned_here(opened, directory))
        claim.foreign = true;
    else if (guarded && !followed && S_ISREG(opened.st_mode) && opened.st_nlink > 1)
        claim.hard_linked = true;
    if (claim.error_number != 0 || claim.foreign || claim.hard_linked) {
        ::close(claim.descriptor);
        claim.descriptor = -1;
    }
    return claim;
}

} // namespace torvane
