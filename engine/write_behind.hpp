#pragma once
// Writes full buffers on a thread of its own, in the order they were handed over, so the
// run formats the next bytes while the kernel copies the last ones into the file: on two
// cores formatting and writing overlap instead of taking turns. A fixed number of buffers
// circulates, so memory does not grow with the report.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace torvane {

// A buffer and how much of it holds text.
struct text_block {
    explicit text_block(std::size_t bytes = 0) : data(new char[bytes]), capacity(bytes) {}
    std::unique_ptr<char[]> data;
    std::size_t capacity;
    std::size_t size = 0;
    std::string_view text() const { return {data.get(), size}; }
};

class write_behind {
public:
    // Writes the bytes out; returns 0, or the errno of the failure.
    using write_function = std::function<int(std::string_view bytes)>;

    // Starts the thread, with `spare_blocks` empty buffers of `capacity` bytes besides the
    // one the caller is filling. Throws std::system_error when no thread can be started.
    write_behind(write_function write, std::size_t spare_blocks, std::size_t capacity);
    ~write_behind();
    write_behind(const write_behind&) = delete;
    write_behind& operator=(const write_behind&) = delete;

    // Queues `full` for writing and puts an empty buffer in its place, waiting for one while
    // all are queued. After a failed write the later blocks are dropped, not written.
    void hand_over(text_block& full);
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
    bool stopping_ = false;
    int error_ = 0;
    std::thread thread_;  // last: started once everything it uses exists
};

} // namespace torvane
