#include "write_behind.hpp"

namespace torvane {

write_behind::write_behind(write_function write, std::size_t spare_blocks, std::size_t capacity)
    : write_(std::move(write))
{
    for (std::size_t i = 0; i < spare_blocks; ++i)
        free_.emplace_back(capacity);
    thread_ = std::thread([this] { serve(); });
}

write_behind::~write_behind()
{
    abandon();
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_ready_.notify_one();
    thread_.join();
}

std::uint64_t write_behind::hand_over(text_block& full)
{
    std::unique_lock lock(mutex_);
    full.close_run();
    queue_.push_back(std::move(full));
    const std::uint64_t number = ++handed_;
    work_ready_.notify_one();
    block_done_.wait(lock, [this] { return !free_.empty(); });
    full = std::move(free_.back());
    free_.pop_back();
    full.clear();
    return number;
}

std::uint64_t write_behind::handed()
{
    const std::lock_guard lock(mutex_);
    return handed_;
}

void write_behind::wait_until_done(std::uint64_t number)
{
    std::unique_lock lock(mutex_);
    block_done_.wait(lock, [this, number] { return done_ >= number; });
}

int write_behind::error()
{
    const std::lock_guard lock(mutex_);
    return error_;
}

int write_behind::finish()
{
    std::unique_lock lock(mutex_);
    block_done_.wait(lock, [this] { return queue_.empty() && !writing_; });
    return error_;
}

void write_behind::abandon()
{
    std::unique_lock lock(mutex_);
    while (!queue_.empty()) {
        free_.push_back(std::move(queue_.front()));
        queue_.pop_front();
        ++done_;
    }
    block_done_.notify_all();
    block_done_.wait(lock, [this] { return !writing_; });
}

void write_behind::serve()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        work_ready_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        text_block block = std::move(queue_.front());
        queue_.pop_front();
        writing_ = true;
        const bool failed_before = error_ != 0;
        lock.unlock();
        const int error = failed_before ? 0 : write_(block);
        lock.lock();
        if (error != 0 && error_ == 0)
            error_ = error;
        ++done_;
        free_.push_back(std::move(block));
        writing_ = false;
        block_done_.notify_all();
    }
}

} // namespace torvane
