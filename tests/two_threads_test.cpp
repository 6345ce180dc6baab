// The two threads the step blocks and the read-back share their work on, driven directly:
// every item once, the exceptions of either thread passed on, and the helper reusable
// after one, with a helper and without.

#include "two_threads.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>

namespace torvane::testing {
namespace {

using use = two_threads::helper_use;
constexpr use both_uses[] = {use::when_a_second_core_exists, use::never};

// Each item counts its own runs: none may be missed or run twice, whichever thread took
// it, nor may an item beyond the count run. Thousands of two-item calls, which either
// thread may finish, take offers back the helper had not taken yet.
TEST(two_threads, runs_every_item_exactly_once)
{
    for (const use helper : both_uses) {
        two_threads threads(helper);
        for (const std::size_t count : {0, 1, 2, 100000}) {
            const auto runs = std::make_unique<std::atomic<int>[]>(count + 1);
            threads.share_work(count, [&](std::size_t item) { runs[item].fetch_add(1); });
            for (std::size_t i = 0; i <= count; ++i)
                ASSERT_EQ(runs[i].load(), i < count ? 1 : 0) << "item " << i << " of " << count;
        }
        for (int call = 0; call < 20000; ++call) {
            std::atomic<int> done{0};
            threads.share_work(2, [&](std::size_t) { done.fetch_add(1); });
            ASSERT_EQ(done.load(), 2) << "call " << call;
        }
    }
}

struct parts_case {
    const char* name;
    bool first_throws;
    bool second_throws;
    const char* passed_on;  // the message of the exception the caller gets, if any
};

class two_parts : public ::testing::TestWithParam<parts_case> {};

// Each part runs once, the second on the helper when there are two cores; either may
// throw, and the caller gets the first part's exception when both do, only after both
// parts ended. The threads stay usable.
TEST_P(two_parts, run_once_each_and_pass_their_exception_on)
{
    const parts_case& c = GetParam();
    for (const use helper : both_uses) {
        two_threads threads(helper);
        std::atomic<int> runs[2] = {0, 0};
        std::thread::id ran_on[2];
        const auto part = [&](int p) {
            ran_on[p] = std::this_thread::get_id();
            runs[p].fetch_add(1);
            if ((p == 0 && c.first_throws) || (p == 1 && c.second_throws))
                throw std::runtime_error(p == 0 ? "first" : "second");
        };
        std::string passed_on = "none";
        try {
            threads.run_in_two_parts(part);
        } catch (const std::runtime_error& error) {
            passed_on = error.what();
        }
        EXPECT_EQ(passed_on, c.passed_on);
        EXPECT_EQ(runs[0].load(), 1);
        EXPECT_EQ(runs[1].load(), 1);
        EXPECT_EQ(ran_on[0], std::this_thread::get_id());
        const bool shared = helper != use::never && std::thread::hardware_concurrency() >= 2;
        EXPECT_EQ(ran_on[1] != ran_on[0], shared);
        std::atomic<int> later{0};
        threads.run_in_two_parts([&](int) { later.fetch_add(1); });
        EXPECT_EQ(later.load(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(two_threads, two_parts,
                         ::testing::Values(parts_case{"none", false, false, "none"},
                                           parts_case{"first", true, false, "first"},
                                           parts_case{"second", false, true, "second"},
                                           parts_case{"both", true, true, "first"}),
                         [](const auto& info) { return info.param.name; });

// An item that throws ends the sharing: the exception reaches the caller, whichever thread
// ran the item, no item is started after it on that thread, and the next call works. How
// many items the other thread ran first is the scheduler's business, not checked.
TEST(two_threads, an_item_that_throws_stops_the_sharing)
{
    constexpr std::size_t count = 100000;
    for (const use helper : both_uses) {
        two_threads threads(helper);
        for (const std::size_t failing : {std::size_t{0}, std::size_t{1}, std::size_t{5000}}) {
            std::mutex starts_lock;
            std::vector<std::pair<std::thread::id, std::size_t>> starts;  // in the order items started
            const auto item = [&](std::size_t i) {
                {
                    const std::lock_guard<std::mutex> lock(starts_lock);
                    starts.emplace_back(std::this_thread::get_id(), i);
                }
                if (i == failing)
                    throw std::runtime_error("item");
            };
            EXPECT_THROW(threads.share_work(count, item), std::runtime_error);
            const auto thrown = std::find_if(starts.begin(), starts.end(), [&](const auto& s) { return s.second == failing; });
            ASSERT_NE(thrown, starts.end());
            EXPECT_TRUE(std::none_of(thrown + 1, starts.end(), [&](const auto& s) { return s.first == thrown->first; }))
                << "an item started on the thread whose item " << failing << " threw";
            if (helper == use::never)
                EXPECT_EQ(starts.size(), failing + 1);
        }
        std::atomic<std::size_t> runs{0};
        threads.share_work(count, [&](std::size_t) { runs.fetch_add(1); });
        EXPECT_EQ(runs.load(), count);
    }
}

} // namespace
} // namespace torvane::testing
