#pragma once
// Opening one of the run's two files for writing before anything is emptied (POSIX).

namespace torvane {

struct claimed_file {
    int descriptor = -1;
    int error_number = 0;  // why it could not be opened (ESPIPE: not a regular file)
    bool planted = false;  // another user's symbolic link in a shared sticky directory
    bool foreign = false;  // another user's file there, which they may swap for a link
    bool hard_linked = false;  // a file there with another name elsewhere, which anyone may have made
    bool created = false;  // it did not exist before
};

enum class claim_mode { reading, writing };

// Opens `name` for writing (or reading) without emptying it, creating it when missing. A named pipe or
// a socket is refused (ESPIPE) without waiting for a reader. In a directory everyone may
// write to with the sticky bit set (such as /tmp) a symbolic link is followed only when
// it belongs to the user running or to the directory's owner, the rule the kernel applies
// itself when fs.protected_symlinks is set: another user could have planted it there to
// have this run write wherever it points. For the same reason a file there of another
// user's is refused (the kernel's fs.protected_regular rule): the run opens its files by
// name more than once, and that user could put a link in its place between two opens.
// A file there with more than one name is refused too: anyone may have made the name here
// a hard link to a file elsewhere that the user running may write (the kernel lets anyone
// link a file they may read and write), to have this run write it.
claimed_file claim_file(const char* name, claim_mode mode);

} // namespace torvane
