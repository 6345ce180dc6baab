#include "output_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

namespace torvane {
namespace {

constexpr std::size_t buffer_size = std::size_t{1} << 20;
// Buffers queued for the writer thread besides the one being filled: two let a slow
// write and a quick one even out without holding the run up.
constexpr std::size_t spare_buffers = 2;

} // namespace

file_error::file_error(std::string file_name, int error)
    : std::runtime_error(file_name + ": " + std::strerror(error)), file(std::move(file_name)), error_number(error)
{
}

// The buffer is taken by each open, inside a run, so that memory that cannot be had is
// the run's failure to report, not an abort before the program starts; it is given back
// when the file is closed, so that nothing of a run outlives it.
output_file::output_file() = default;

output_file::~output_file() { discard(); }

bool output_file::open(const std::string& path, const file_system& files)
{
    if (file_) {
        failed_ = true;
        return false;
    }
    if (block_.capacity < buffer_size)
        block_ = text_block(buffer_size);
    // Text mode: on Windows every LF written lies on disk as CR LF.
    file_ = files.create(path, open_error_);
    if (!file_) {
        failed_ = true;
        return false;
    }
    path_ = path;
    block_.clear();
    written_ = 0;
    checksum_ = content_checksum(fresh_hash_key());  // a key of this run's own
    writer_unavailable_ = false;
    return true;
}

void output_file::close()
{
    if (!file_) {
        failed_ = true;
        return;
    }
    flush_buffer();
    if (writer_) {
        const int error = writer_->finish();
        writer_.reset();
        if (error != 0)
            fail_with(error);
    }
    const std::unique_ptr<written_file> file = std::move(file_);
    give_back_buffers();
    if (const int error = file->close(); error != 0)
        fail_with(error);
}

void output_file::discard()
{
    stop_writing_behind();
    file_.reset();
    give_back_buffers();
}

void output_file::give_back_buffers()
{
    block_ = text_block();
    scratch_.reset();
    scratch_size_ = 0;
}

// Nothing more reaches the file: queued buffers are dropped, and a write under way is
// waited for, so that the file can be emptied or reopened after it.
void output_file::stop_writing_behind()
{
    if (!writer_)
        return;
    writer_->abandon();
    writer_.reset();
}

bool output_file::writable() { return file_ && !failed_; }

void output_file::write(std::string_view bytes)
{
    if (!writable()) {
        failed_ = true;
        return;
    }
    written_ += bytes.size();
    while (block_.size + bytes.size() > block_.capacity) {
        const std::size_t room = block_.capacity - block_.size;
        std::memcpy(block_.data.get() + block_.size, bytes.data(), room);
        block_.size += room;
        bytes.remove_prefix(room);
        flush_buffer();
    }
    std::memcpy(block_.data.get() + block_.size, bytes.data(), bytes.size());
    block_.size += bytes.size();
}

char* output_file::reserve(std::size_t size)
{
    reserved_scratch_ = !writable();
    if (reserved_scratch_) {
        // Text for a stream that drops it goes to scratch space, so whatever an earlier
        // write left in the buffer still reaches the file when it is closed.
        if (scratch_size_ < size) {
            scratch_.reset(new char[size]);
            scratch_size_ = size;
        }
        return scratch_.get();
    }
    if (block_.size + size > block_.capacity) {
        flush_buffer();
        if (size > block_.capacity)
            block_ = text_block(size);
    }
    reserved_at_ = block_.size;
    return block_.data.get() + block_.size;
}

// Lending pays only while a thread writes behind: until one runs (a small report, or no
// thread to be had) the text is copied as usual.
void output_file::lend(std::string_view text)
{
    if (!writer_ || !writable()) {
        write(text);
        return;
    }
    written_ += text.size();
    block_.lend(text);
}

std::uint64_t output_file::send_lent()
{
    if (!writer_)
        return 0;
    flush_buffer();
    return writer_ ? writer_->handed() : 0;
}

void output_file::wait_until_written(std::uint64_t number)
{
    if (writer_)
        writer_->wait_until_done(number);
}

void output_file::commit(const char* end)
{
    if (reserved_scratch_ || !writable()) {
        failed_ = true;
        return;
    }
    const auto size = static_cast<std::size_t>(end - (block_.data.get() + reserved_at_));
    block_.size = reserved_at_ + size;
    written_ += size;
}

// Adds a block's text to the checksum and writes it; on the writer thread once it runs.
int output_file::write_out(const text_block& block)
{
    if (block.pieces.empty()) {
        const std::string_view bytes = block.text();
        checksum_.add(bytes);
        return file_->write(bytes);
    }
    for (const std::string_view piece : block.pieces)
        checksum_.add(piece);
    return file_->write_pieces(block.pieces);
}

// The first full buffer starts the writer thread; where none can be started (a process
// limit) or its buffers cannot be had (a memory limit) every buffer is written here,
// just as correctly.
void output_file::start_writing_behind()
{
    try {
        writer_ = std::make_unique<write_behind>([this](const text_block& block) { return write_out(block); },
                                                 spare_buffers, buffer_size);
    } catch (const std::system_error&) {
        writer_unavailable_ = true;
    } catch (const std::bad_alloc&) {
        writer_unavailable_ = true;
    }
}

void output_file::flush_buffer()
{
    if (block_.empty() || !file_)
        return;
    if (!writer_ && !writer_unavailable_)
        start_writing_behind();
    if (!writer_) {
        block_.close_run();
        const int error = write_out(block_);
        block_.clear();
        if (error != 0)
            fail_with(error);
        return;
    }
    if (const int error = writer_->error(); error != 0)
        fail_with(error);
    writer_->hand_over(block_);
}

void output_file::fail_with(int error_number)
{
    failed_ = true;
    throw file_error(path_, error_number != 0 ? error_number : EIO);
}

} // namespace torvane
