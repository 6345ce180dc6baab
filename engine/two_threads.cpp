#include "two_threads.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
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

} // namespace

// One long-lived helper: starting a thread for every step block would cost more than
// formatting a small block takes. A task is offered, then taken by the helper; a caller
// whose work the helper need not share can take an offer back the helper has not taken
// yet, rather than wait for a thread that has no core to run on.
class two_threads::helper_thread {
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
            failure_ = nullptr;
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
            if (!failure)
                failure = failure_;
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
            std::exception_ptr failure;
            try {
                (*task)(1);
            } catch (...) {
                failure = std::current_exception();  // handed to the caller, which is waiting
            }
            lock.lock();
            failure_ = failure;
            state_.store(idle);
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void(int)>* task_ = nullptr;
    std::exception_ptr failure_;
    std::atomic<int> state_{idle};
    bool stopping_ = false;
    std::thread thread_;  // last: started once everything it uses exists
};

two_threads::two_threads(helper_use use)
    : may_start_helper_(use == helper_use::when_a_second_core_exists && std::thread::hardware_concurrency() >= 2)
{
}

two_threads::~two_threads() = default;

// None when there is no second core, or when no thread can be started (a process
// limit, say): the work is then done on one thread, just as correctly.
two_threads::helper_thread* two_threads::helper()
{
    if (may_start_helper_) {
        may_start_helper_ = false;
        try {
            helper_ = std::make_unique<helper_thread>();
        } catch (const std::system_error&) {
        }
    }
    return helper_.get();
}

void two_threads::share_work(std::size_t count, const std::function<void(std::size_t item)>& item)
{
    std::atomic<std::size_t> next{0};
    const std::function<void(int)> take_items = [&](int) {
        try {
            for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;)
                item(i);
        } catch (...) {
            next.store(count, std::memory_order_relaxed);  // the other thread starts nothing more
            throw;
        }
    };
    if (helper_thread* const other = count > 1 ? helper() : nullptr)
        other->run(take_items, true);
    else
        take_items(0);
}

void two_threads::run_in_two_parts(const std::function<void(int part)>& part)
{
    helper_thread* const other = helper();
    if (!other) {
        // As on two threads: the second part runs whatever became of the first.
        std::exception_ptr failures[2];
        for (int p = 0; p < 2; ++p) {
            try {
                part(p);
            } catch (...) {
                failures[p] = std::current_exception();
            }
        }
        for (const std::exception_ptr& failure : failures)
            if (failure)
                std::rethrow_exception(failure);
        return;
    }
    other->run(part, false);
}

void two_threads::for_every_row(std::size_t rows, std::size_t row_width, const std::function<void(std::size_t row)>& each)
{
    if (rows * row_width < entries_worth_splitting) {
        for (std::size_t r = 0; r < rows; ++r)
            each(r);
        return;
    }
    share_work(rows, each);
}

} // namespace torvane
