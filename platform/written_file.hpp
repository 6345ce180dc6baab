#pragma once
// What the report's stream asks of the system to put its bytes in a file: create it,
// write to it in order, close it. The system's own is system_files(); a test hands a run
// one that fails where it is told to, so that every failure of a write can be tried
// without a full disk, a broken device or root's power over limits.

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

class file_system {
public:
    // Creates the file or empties it, for writing in the platform's text mode; null with
    // `error` set when it cannot be opened. A named pipe or a socket is refused (ESPIPE).
    virtual std::unique_ptr<written_file> create(const std::string& path, int& error) const = 0;

protected:
    // Never deleted through this interface: the system's is a constant, a test's its own.
    ~file_system() = default;
};

// The operating system's files.
const file_system& system_files();

} // namespace torvane
