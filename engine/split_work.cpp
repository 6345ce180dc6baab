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
// formatting a small block takes. A task is offered, then taken by the helper; a caller
// whose work the helper need not share can take an offer back the helper has not taken
// yet, rather than wait for a thread that has no core to run on.
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

    void run(const std::function<void(int)>& part, bool may_take_back)
    {
        {
            const std::lock_guard lock(mutex_);
            task_ = &part;
            state_.store(offered);
        }
        wake_.notify_all();
        std::exception_ptr failure;
        try {
            part(0);
        } catch (...) {
            failure = std::current_exception();  // part(1) may still use what the caller owns
        }
        int expected = offered;
        if (!(may_take_back && state_.compare_exchange_strong(expected, idle))) {
            wait_awake_for([this] { return state_.load() == idle; });
            std::unique_lock lock(mutex_);
            done_.wait(lock, [this] { return state_.load() == idle; });
        }
        if (failure)
            std::rethrow_exception(failure);
    }

private:
    static constexpr int idle = 0, offered = 1, running = 2;

    void serve()
    {
        for (;;) {
            wait_awake_for([this] { return state_.load() == offered; });
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || state_.load() == offered; });
            if (stopping_)
                return;
            int expected = offered;
            if (!state_.compare_exchange_strong(expected, running))
                continue;  // taken back
            const auto* task = task_;
            lock.unlock();
            (*task)(1);
            lock.lock();
            state_.store(idle);
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void(int)>* task_ = nullptr;
    std::atomic<int> state_{idle};
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

helper_thread* helper()
{
    static const std::unique_ptr<helper_thread> thread = start_helper();
    return thread.get();
}

} // namespace

void share_work(std::size_t count, const std::function<void(std::size_t item)>& item)
{
    std::atomic<std::size_t> next{0};
    const std::function<void(int)> take_items = [&](int) {
        for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;)
            item(i);
    };
    if (helper_thread* const other = count > 1 ? helper() : nullptr)
        other->run(take_items, true);
    else
        take_items(0);
}

void run_in_two_parts(const std::function<void(int part)>& part)
{
    helper_thread* const other = helper();
    if (!other) {
        part(0);
        part(1);
        return;
    }
    other->run(part, false);
}

} // namespace torvane
