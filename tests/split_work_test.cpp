// The two threads the step blocks and the read-back share their work on, driven directly:
// every item once, the exceptions of either thread passed on, and the helper reusable
// after one, with a helper and without.

#include "split_work.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace torvane::testing {
namespace {

using use = two_threads::helper_use;

struct sharing_case {
    const char* name;
    use helper;
    std::size_t count;
};

class shared_work : public ::testing::TestWithParam<sharing_case> {};

// Each item counts its own runs: none may be missed or run twice, whichever thread took it.
TEST_P(shared_work, runs_every_item_exactly_once)
{
    const sharing_case& c = GetParam();
    two_threads threads(c.helper);
    for (int round = 0; round < 3; ++round) {
        const auto runs = std::make_unique<std::atomic<int>[]>(c.count + 1);
        threads.share_work(c.count, [&](std::size_t item) { runs[item].fetch_add(1); });
        for (std::size_t i = 0; i < c.count; ++i)
            ASSERT_EQ(runs[i].load(), 1) << "item " << i << ", round " << round;
        EXPECT_EQ(runs[c.count].load(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(split_work, shared_work,
                         ::testing::Values(sharing_case{"nothing", use::when_a_second_core_exists, 0},
                                           sharing_case{"one_item", use::when_a_second_core_exists, 1},
                                           sharing_case{"two_items", use::when_a_second_core_exists, 2},
                                           sharing_case{"many_items", use::when_a_second_core_exists, 100000},
                                           sharing_case{"nothing_alone", use::never, 0},
                                           sharing_case{"many_items_alone", use::never, 100000}),
                         [](const auto& info) { return info.param.name; });

// Offers the helper has not taken yet are taken back: thousands of two-item calls, each of
// which either thread may finish, must neither hang nor lose an item.
TEST(split_work, short_calls_taken_back_or_shared_lose_nothing)
{
    two_threads threads;
    for (int call = 0; call < 20000; ++call) {
        std::atomic<int> done{0};
        threads.share_work(2, [&](std::size_t) { done.fetch_add(1); });
        ASSERT_EQ(done.load(), 2) << "call " << call;
    }
}

TEST(split_work, two_parts_run_once_each_on_two_threads_when_there_are_two_cores)
{
    for (const use helper : {use::when_a_second_core_exists, use::never}) {
        two_threads threads(helper);
        std::thread::id ran_on[2];
        int runs[2] = {};
        threads.run_in_two_parts([&](int part) {
            ++runs[part];
            ran_on[part] = std::this_thread::get_id();
        });
        EXPECT_EQ(runs[0], 1);
        EXPECT_EQ(runs[1], 1);
        EXPECT_EQ(ran_on[0], std::this_thread::get_id());
        const bool shared = helper != use::never && std::thread::hardware_concurrency() >= 2;
        EXPECT_EQ(ran_on[1] != ran_on[0], shared);
    }
}

struct failure_case {
    const char* name;
    bool first_throws;
    bool second_throws;
    const char* expected;  // the message of the exception passed on
};

class failing_parts : public ::testing::TestWithParam<failure_case> {};

// Either part may throw; the caller gets the first part's exception when both do, only
// after the other part has ended, and the threads stay usable.
TEST_P(failing_parts, pass_their_exception_on_once_both_parts_ended)
{
    const failure_case& c = GetParam();
    for (const use helper : {use::when_a_second_core_exists, use::never}) {
        two_threads threads(helper);
        std::atomic<int> ended{0};
        try {
            threads.run_in_two_parts([&](int part) {
                ended.fetch_add(1);
                if (part == 0 && c.first_throws)
                    throw std::runtime_error("first");
                if (part == 1 && c.second_throws)
                    throw std::runtime_error("second");
            });
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), c.expected);
        }
        EXPECT_EQ(ended.load(), 2);
        int runs = 0;
        threads.run_in_two_parts([&](int) { ++runs; });
        EXPECT_EQ(runs, 2);
    }
}

INSTANTIATE_TEST_SUITE_P(split_work, failing_parts,
                         ::testing::Values(failure_case{"first", true, false, "first"},
                                           failure_case{"second", false, true, "second"},
                                           failure_case{"both", true, true, "first"}),
                         [](const auto& info) { return info.param.name; });

// An item that throws ends the sharing: the exception reaches the caller, whichever thread
// ran the item, and no item is started after it on this thread.
TEST(split_work, an_item_that_throws_stops_the_sharing)
{
    constexpr std::size_t count = 100000;
    for (const use helper : {use::when_a_second_core_exists, use::never}) {
        two_threads threads(helper);
        for (const std::size_t failing : {std::size_t{0}, std::size_t{1}, std::size_t{5000}}) {
            std::atomic<std::size_t> runs{0};
            EXPECT_THROW(threads.share_work(count,
                                            [&](std::size_t item) {
                                                runs.fetch_add(1);
                                                if (item == failing)
                                                    throw std::runtime_error("item");
                                            }),
                         std::runtime_error);
            EXPECT_LT(runs.load(), count) << "item " << failing;
            if (helper == use::never)
                EXPECT_EQ(runs.load(), failing + 1);
        }
        std::atomic<std::size_t> runs{0};
        threads.share_work(count, [&](std::size_t) { runs.fetch_add(1); });
        EXPECT_EQ(runs.load(), count);
    }
}

// Large enough matrices are shared, small ones walked here in order.
TEST(split_work, rows_are_walked_in_order_below_the_sharing_size)
{
    two_threads threads;
    const std::size_t rows = 8;
    const std::size_t small_width = two_threads::entries_worth_splitting / rows - 1;
    std::vector<std::size_t> order;
    std::vector<std::thread::id> ran_on;
    threads.for_every_row(rows, small_width, [&](std::size_t r) {
        order.push_back(r);
        ran_on.push_back(std::this_thread::get_id());
    });
    EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    for (const std::thread::id id : ran_on)
        EXPECT_EQ(id, std::this_thread::get_id());

    const std::size_t large_width = two_threads::entries_worth_splitting / rows;
    const auto runs = std::make_unique<std::atomic<int>[]>(rows);
    threads.for_every_row(rows, large_width, [&](std::size_t r) { runs[r].fetch_add(1); });
    for (std::size_t r = 0; r < rows; ++r)
        EXPECT_EQ(runs[r].load(), 1);
}

} // namespace
} // namespace torvane::testing
