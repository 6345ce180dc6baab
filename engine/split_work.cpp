#include "split_work.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace torvane {
namespace {

// How long a thread that waits for the other keeps checking before it goes to sleep. The
// step blocks of a large matrix come a fraction of a millisecond apart; waking a sleeping
// thread can take longer than that on a virtual machine, so a short wait is spent
// awake. It yields the core meanwhile, so a thread with real work (the writer) runs.
constexpr auto awake_wait = std::chrono::microseconds(200);

template <class condition>
void wait_awake_for(const condition& done)
{
    const auto until = std::chrono::steady_clock::now() + awake_wait;
    while (!done() && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
}

// One long-lived helper: starting a thread for every step block would cost more than
// formatting a small block takes.
class helper_thread {
public:
    helper_thread() : thread_([this] { serve(); }) {}

    ~helper_thread()
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    void run(const std::function<void(int)>& part)
    {
        {
            const std::lock_guard lock(mutex_);
            task_.store(&part);
        }
        wake_.notify_all();
        std::exception_ptr failure;
        try {
            part(0);
        } catch (...) {
            failure = std::current_exception();  // part(1) still uses what the caller owns
        }
        wait_awake_for([this] { return task_.load() == nullptr; });
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return task_.load() == nullptr; });
        if (failure)
            std::rethrow_exception(failure);
    }

private:
    void serve()
    {
        for (;;) {
            wait_awake_for([this] { return task_.load() != nullptr; });
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || task_.load() != nullptr; });
            if (stopping_)
                return;
            const auto* task = task_.load();
            lock.unlock();
            (*task)(1);
            lock.lock();
            task_.store(nullptr);
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::atomic<const std::function<void(int)>*> task_{nullptr};
    bool stopping_ = false;
    std::thread thread_;
};

// None when there is no second core, or when no thread can be started (a process
// limit, say): the work is then done on one thread, just as correctly.
std::unique_ptr<helper_thread> start_helper()
{
    if (std::thread::hardware_concurrency() < 2)
        return nullptr;
    try {
        return std::make_unique<helper_thread>();
    } catch (const std::system_error&) {
        return nullptr;
    }
}

} // namespace

void run_in_two_parts(const std::function<void(int part)>& part)
{
    static const std::unique_ptr<helper_thread> helper = start_helper();
    if (!helper) {
        part(0);
        part(1);
        return;
    }
    helper->run(part);
}

} // namespace torvane
