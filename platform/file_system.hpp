#pragma once
// What a run asks of the system's files: to put the report's bytes in a file (create it,
// write to it in order, close it), and to read the report back (open it, read it at
// places or in turn, go back to its start). The system's own is system_files(); a test
// hands a run one that fails where it is told to, so that every failure of a write or a
// read can be tried without a full disk, a broken device or root's power over limits.

#include "read_at.hpp"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

class written_file {
public:
    virtual ~written_file() = default;
    // Each returns 0, or the errno of the failure, and never throws: a write may run on the
    // stream's writer thread.
    virtual int write(std::string_view bytes) = 0;
    // The pieces in order, as one.
    virtual int write_pieces(const std::vector<std::string_view>& pieces) = 0;
    // Called once, last; a failure here means bytes written before may not be in the file.
    virtual int close() = 0;
};

// One of the run's files opened to be read back ("mat.result" as report_file_open.hpp
// says). Each read returns the bytes it gave and the errno of a failure, and never throws.
class read_back_file {
public:
    virtual ~read_back_file() = default;
    // Whether read_at works: where it does not (Windows), the file is read in turn.
    virtual bool reads_at_offsets() const = 0;
    // `size` bytes from `offset` on, or fewer where the file ends; two threads may read at
    // once. Where reads_at_offsets() is false, nothing is read and the error is ENOSYS.
    virtual piece_read read_at(char* into, std::size_t size, std::uint64_t offset) = 0;
    // The next bytes in turn, from where the last of these reads (or rewind) left off;
    // fewer than `size` only where the file ends or the read failed.
    virtual piece_read read_next(char* into, std::size_t size) = 0;
    // Back to the start, for another pass: 0, or the errno of the failure.
    virtual int rewind() = 0;
    // Whether a read lease was taken at the opening to keep writers off the file (Linux;
    // false where none could be had).
    virtual bool held_steady() const = 0;
    // The system's stream of the file, for copying it on inside the system; null for a
    // file that is not the system's own.
    virtual std::FILE* stream() = 0;
};

class file_system {
public:
    // Creates the file or empties it, for writing in the platform's text mode; null with
    // `error` set when it cannot be opened. A named pipe or a socket is refused (ESPIPE).
    virtual std::unique_ptr<written_file> create(const std::string& path, int& error) const = 0;
    // Opens the report to read it back, in the platform's text mode; null with `error` set
    // when it cannot be opened. Only a regular file is opened (ESPIPE, EISDIR otherwise).
    virtual std::unique_ptr<read_back_file> open_report(const std::string& path, int& error) const = 0;
    // Opens "mat.data" to read it back as bytes, without the text mode (the run undoes the
    // text mode's CR LF itself: the data may hold any byte); a regular file only (ESPIPE).
    virtual std::unique_ptr<read_back_file> open_data(const std::string& path, int& error) const = 0;

protected:
    // Never deleted through this interface: the system's is a constant, a test's its own.
    ~file_system() = default;
};

// The operating system's files.
const file_system& system_files();

} // namespace torvane
