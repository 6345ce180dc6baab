#pragma once
// The engine's one output stream: a text file written through large buffers. Once the
// first buffer is full the buffers are written on a thread of their own (write_behind)
// while the next one is filled; the bytes reach the file in the order they were written.
// Like a standard stream it has an error state: a write to a stream that is not open
// sets it, and while it is set every write is dropped, until clear(). A failure of the
// file system itself (a full disk, an I/O error) is not dropped silently: it throws
// file_error, naming the file, so the run can stop instead of computing on for nothing.
// A failure found while a buffer is written behind the run is thrown by the next call
// that hands a buffer over, or by close().

#include "content_checksum.hpp"
#include "write_behind.hpp"
#include "file_system.hpp"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

struct file_error : std::runtime_error {
    file_error(std::string file, int error_number);
    std::string file;
    int error_number;
};

class output_file {
public:
    output_file();
    ~output_file();
    output_file(const output_file&) = delete;
    output_file& operator=(const output_file&) = delete;

    // Creates the file or truncates it to empty, in the platform's text mode. Fails (and
    // sets the error state) when the file cannot be opened or the stream is already open.
    // A named pipe or a socket is refused (open_error() ESPIPE): what goes in does not
    // stay there to be read back, and a reader that stops reading would block the run.
    // The file is made by `files`, which must outlive the stream's use of it.
    bool open(const std::string& path, const file_system& files = system_files());
    // Writes out what is buffered and closes; fails and sets the error state when the
    // stream is not open. Throws file_error when the buffered text cannot be written.
    void close();
    // Closes without writing what is buffered and without reporting anything; used to
    // give up on a file after a failure.
    void discard();

    // errno of the last open that failed, so a message can give the system's reason.
    int open_error() const { return open_error_; }
    void clear() { failed_ = false; }

    void write(std::string_view bytes);
    void put(char byte) { write(std::string_view(&byte, 1)); }

    // Room for at least `size` bytes to format into; commit(end) then keeps them. While
    // the stream is not writable the bytes are formatted but dropped.
    char* reserve(std::size_t size);
    void commit(const char* end);

    // Writes `text`, without copying it while a thread writes behind: it must then stay
    // unchanged until wait_until_written() returns for the number send_lent() gives back.
    void lend(std::string_view text);
    // Sends what is buffered and lent so far on its way; returns the number to wait for.
    std::uint64_t send_lent();
    // Waits until everything sent up to `number` is written (or dropped after a failure).
    void wait_until_written(std::uint64_t number);

    // Bytes accepted since the stream was opened, before any text-mode translation, and
    // their checksum (complete once the stream is closed).
    std::uint64_t bytes_written() const { return written_; }
    std::uint64_t checksum() const { return checksum_.value(); }
    // The key of that checksum, drawn afresh each time the stream is opened.
    const hash_key& checksum_key() const { return checksum_.key(); }

private:
    bool writable();
    void flush_buffer();
    int write_out(const text_block& block);
    void start_writing_behind();
    void stop_writing_behind();
    void give_back_buffers();
    void fail_with(int error_number);

    std::unique_ptr<written_file> file_;
    text_block block_;
    std::unique_ptr<write_behind> writer_;
    bool writer_unavailable_ = false;
    std::size_t reserved_at_ = 0;
    bool reserved_scratch_ = false;
    std::unique_ptr<char[]> scratch_;
    std::size_t scratch_size_ = 0;
    std::uint64_t written_ = 0;
    content_checksum checksum_{hash_key{}};
    std::string path_;
    bool failed_ = false;
    int open_error_ = 0;
};

} // namespace torvane
