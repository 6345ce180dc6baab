#pragma once
// Splits a piece of work between the calling thread and one helper thread, when the
// machine has a second core. The work itself decides what each part does; every call
// returns only when both parts are done, so callers stay sequential around it. The
// helper is started the first time work is shared and stops with this object, so it
// lives no longer than the run that owns it.

#include <cstddef>
#include <functional>
#include <memory>

namespace torvane {

class two_threads {
public:
    enum class helper_use { when_a_second_core_exists, never };
    explicit two_threads(helper_use use = helper_use::when_a_second_core_exists);
    ~two_threads();
    two_threads(const two_threads&) = delete;
    two_threads& operator=(const two_threads&) = delete;

    // Runs part(0) on the calling thread and part(1) on the helper, then waits for both.
    // Without a helper (one core, no thread to be had) runs both here, one after the
    // other. An exception from either part is passed on once both have ended; from
    // part(0) first when both throw.
    void run_in_two_parts(const std::function<void(int part)>& part);

    // Runs item(i) for every i below `count`, once each, in no set order: the calling
    // thread and the helper each take the next item until none is left. A helper that
    // gets no core meanwhile (other threads keep both busy) is not waited for: the caller
    // does every item. After an item throws no new item is started, and the exception is
    // passed on once the helper has stopped.
    void share_work(std::size_t count, const std::function<void(std::size_t item)>& item);

    // each(r) for every row of a matrix of `rows` rows of `row_width` entries: shared
    // with the helper only when the matrix is large enough to pay for the hand-over.
    void for_every_row(std::size_t rows, std::size_t row_width, const std::function<void(std::size_t row)>& each);

    // Below this many entries a matrix is walked on one thread: handing work over costs more.
    static constexpr std::size_t entries_worth_splitting = 16384;

private:
    class helper_thread;
    helper_thread* helper();

    std::unique_ptr<helper_thread> helper_;
    bool may_start_helper_;
};

} // namespace torvane
