#pragma once
// Writes full buffers on a thread of its own, in the order they were handed over, so the
// run formats the next bytes while the kernel copies the last ones into the file: on two
// cores formatting and writing overlap instead of taking turns. A fixed number of buffers
// circulates, so memory does not grow with the report.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace torvane {

// A buffer and how much of it holds text, and the text to write: the buffer's bytes, or,
// once text lent by the caller is mixed in, `pieces` in order (runs of the buffer's
// bytes and lent text).
struct text_block {
    explicit text_block(std::size_t bytes = 0) : data(new char[bytes]), capacity(bytes) {}
    std::unique_ptr<char[]> data;
    std::size_t capacity;
    std::size_t size = 0;
    std::vector<std::string_view> pieces;
    std::size_t pieces_end = 0;  // the buffer's bytes before this are in `pieces`
    std::string_view text() const { return {data.get(), size}; }

    // Adds lent text, which must stay unchanged until the block is written.
    void lend(std::string_view lent)
    {
        close_run();
        pieces.push_back(lent);
    }
    // Ends the run of the buffer's bytes since the last lent text.
    void close_run()
    {
        if (size > pieces_end)
            pieces.emplace_back(data.get() + pieces_end, size - pieces_end);
        pieces_end = size;
    }
    bool empty() const { return size == 0 && pieces.empty(); }
    void clear()
    {
        size = 0;
        pieces.clear();
        pieces_end = 0;
    }
};

class write_behind {
public:
    // Writes a block's text out; returns 0, or the errno of the failure.
    using write_function = std::function<int(const text_block& block)>;

    // Starts the thread, with `spare_blocks` empty buffers of `capacity` bytes besides the
    // one the caller is filling. Throws std::system_error when no thread can be started.
    write_behind(write_function write, std::size_t spare_blocks, std::size_t capacity);
    ~write_behind();
    write_behind(const write_behind&) = delete;
    write_behind& operator=(const write_behind&) = delete;

    // Queues `full` for writing and puts an empty buffer in its place, waiting for one while
    // all are queued. After a failed write the later blocks are dropped, not written.
    // Returns the block's number, counting from 1.
    std::uint64_t hand_over(text_block& full);
    // Waits until block `number` and all before it are written or dropped: text they
    // borrowed may then change.
    void wait_until_done(std::uint64_t number);
    // How many blocks were handed over.
    std::uint64_t handed();
    // The errno of the first write that failed so far, or 0.
    int error();
    // Waits until every block handed over is written; then error().
    int finish();
    // Drops the blocks not yet started and waits for the one being written, if any.
    void abandon();

private:
    void serve();

    write_function write_;
    std::mutex mutex_;
    std::condition_variable work_ready_;
    std::condition_variable block_done_;
    std::deque<text_block> queue_;
    std::vector<text_block> free_;
    bool writing_ = false;
    std::uint64_t handed_ = 0;
    std::uint64_t done_ = 0;
    bool stopping_ = false;
    int error_ = 0;
    std::thread thread_;  // last: started once everything it uses exists
};

} // namespace torvane
