// One press of the compute button for every case of the corpus (tests/data/reports), and
// the orders refused before anything is computed.

#include "elimination_record.hpp"
#include "entry_text_cache.hpp"
#include "order_limits.hpp"
#include "report.hpp"
#include "run_messages.hpp"
#include "system_limits.hpp"
#include "test_support.hpp"

#include <chrono>
#include <filesystem>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace torvane::testing {
namespace {

class corpus_run : public in_scratch_directory, public ::testing::WithParamInterface<report_case> {};

// A watcher that will not follow a run (a view that cannot show its order): it is told nothing.
class watcher_not_following final : public elimination_observer {
public:
    bool follows_this_run() const override { return false; }
    void elimination_started(const working_matrix&) override { ++calls; }
    void pivot_repaired(std::uint32_t, std::uint32_t, float) override { ++calls; }
    void rows_combined(std::uint32_t, std::uint32_t, float) override { ++calls; }
    void tiny_entries_zeroed(const std::vector<std::size_t>&) override { ++calls; }
    void pass_ended(std::int32_t, pass_phase, std::uint32_t, const working_matrix&) override { ++calls; }
    void row_normalized(std::uint32_t, float) override { ++calls; }
    void elimination_finished(const working_matrix&) override { ++calls; }
    int calls = 0;
};

enum class watching { none, record, declined };

struct run_setting {
    const char* name;
    std::size_t text_budget;
    watching watcher;
};

const run_setting run_settings[] = {
    {"with the entry text cache", entry_text_cache::default_budget, watching::none},
    {"without the entry text cache", 0, watching::none},
    {"watched, with the entry text cache", entry_text_cache::default_budget, watching::record},
    {"watched, without the entry text cache", 0, watching::record},
    {"with a watcher that declines the run", entry_text_cache::default_budget, watching::declined},
};

// Each case follows a run of the example (order 2), whose order must not carry over. An
// input without a positive order computes nothing and leaves the result box as it was.
// Neither the entry text cache nor a watcher may change a byte: a plain run goes through
// the cache, or without it, and a watched one takes the rows one by one on one thread.
TEST_P(corpus_run, shows_and_writes_the_expected_report_and_saves_the_texts)
{
    const report_case& c = GetParam();
    for (const run_setting& setting : run_settings) {
        SCOPED_TRACE(setting.name);
        elimination_record record(nullptr);
        watcher_not_following declining;
        run_options options;
        options.step_text_budget = setting.text_budget;
        if (setting.watcher == watching::record)
            options.watcher = &record;
        if (setting.watcher == watching::declined)
            options.watcher = &declining;
        scripted_dialog dialog(example().dimension, example().data);
        ASSERT_EQ(compute_run(dialog, options).outcome, run_outcome::completed);
        dialog.dimension = c.dimension;
        dialog.data = c.data;
        const run_status status = compute_run(dialog, options);

        EXPECT_EQ(read_file("mat.data"), on_disk(c.dimension.empty() ? "" : c.dimension + "\n" + c.data));
        if (c.computes()) {
            EXPECT_EQ(status.outcome, run_outcome::completed);
            EXPECT_EQ(dialog.times_set, 2);
            EXPECT_TRUE(is_report_of(c, dialog.result));
            EXPECT_TRUE(read_file("mat.result") == on_disk(dialog.result));
        } else {
            EXPECT_EQ(status.outcome, run_outcome::no_order);
            EXPECT_EQ(dialog.times_set, 1);
            EXPECT_EQ(dialog.result, example().report);
            EXPECT_EQ(read_file("mat.result"), "");
        }
        EXPECT_EQ(declining.calls, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(reports, corpus_run, ::testing::ValuesIn(report_cases()),
                         [](const auto& info) { return info.param.name; });

struct huge_order_case {
    std::int32_t order;
    run_failure failure;
};

class huge_order : public in_scratch_directory, public ::testing::WithParamInterface<huge_order_case> {};

// Refused for memory or disk at once, with the order in the message, and the next run works.
TEST_P(huge_order, is_refused_at_once_with_its_reason)
{
    const auto [n, failure] = GetParam();
    if (failure == run_failure::too_large_for_memory && matrix_bytes(n) <= physical_memory_bytes())
        GTEST_SKIP() << "this machine has the memory for order " << n;
    if (failure == run_failure::too_large_for_disk && smallest_report_bytes(n) <= current_directory_free_bytes())
        GTEST_SKIP() << "this disk has room for the report of order " << n;

    const auto started = std::chrono::steady_clock::now();
    scripted_dialog dialog(std::to_string(n), "1 2 3 4");
    const run_status status = compute_run(dialog);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30)) << "must not start computing";
    EXPECT_EQ(status.failure, failure);
    EXPECT_EQ(status.order, n);
    EXPECT_EQ(status.error_number, 0) << "a refusal has no system reason";
    const std::uint64_t needs = failure == run_failure::too_large_for_memory ? matrix_bytes(n) : smallest_report_bytes(n);
    EXPECT_NE(describe_failure_english(status).find("an order of " + std::to_string(n) + " needs " +
                                                    (failure == run_failure::too_large_for_disk ? "at least " : "") +
                                                    (needs == UINT64_MAX ? "more than " : "") + std::to_string(needs) +
                                                    " bytes"),
              std::string::npos);
    EXPECT_NE(describe_failure_chinese_gbk(status).find(" " + std::to_string(n) + " "), std::string::npos);
    EXPECT_EQ(dialog.result, "(untouched)");
    EXPECT_EQ(read_file("mat.result"), "");

    dialog.dimension = example().dimension;
    dialog.data = example().data;
    EXPECT_EQ(compute_run(dialog).outcome, run_outcome::completed);
    EXPECT_EQ(dialog.result, example().report);
}

INSTANTIATE_TEST_SUITE_P(orders, huge_order,
                         ::testing::Values(huge_order_case{2147483647, run_failure::too_large_for_memory},
                                           huge_order_case{100000, run_failure::too_large_for_memory},
                                           huge_order_case{20000, run_failure::too_large_for_disk},
                                           huge_order_case{5000, run_failure::too_large_for_disk}));

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)  // a sanitizer has its own heap and threads
std::size_t threads_in_this_process()
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                                  std::filesystem::directory_iterator()));
}

std::size_t heap_bytes_in_use()
{
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

class run_resources : public in_scratch_directory {};

// What a run takes to write its step blocks fast (the texts of every entry, the helper
// thread, the writer thread, the report's buffers) goes with it: a dialog left open between
// presses holds none of it. What stays is the engine's own state: the matrix of the last
// run, and a few bytes the process takes once.
TEST_F(run_resources, a_run_leaves_no_thread_and_no_text_cache_behind)
{
    const std::size_t threads_before = threads_in_this_process();
    const std::size_t heap_before = heap_bytes_in_use();
    const std::size_t once_only = 64 * 1024;  // far below the report's buffer of 1 MiB
    scripted_dialog dialog(example().dimension, example().data);
    ASSERT_EQ(compute_run(dialog).outcome, run_outcome::completed);
    EXPECT_EQ(threads_in_this_process(), threads_before);
    EXPECT_LT(heap_bytes_in_use(), heap_before + once_only) << "the report's buffer outlived its run";

    const report_case& large = report_case_named("two_threads_order_100");
    dialog.dimension = large.dimension;
    dialog.data = large.data;
    ASSERT_EQ(compute_run(dialog).outcome, run_outcome::completed);
    std::string().swap(dialog.result);
    EXPECT_EQ(threads_in_this_process(), threads_before);
    const std::size_t matrix_bytes_kept = 100 * 200 * sizeof(float);
    EXPECT_LT(heap_bytes_in_use(), heap_before + once_only + 2 * matrix_bytes_kept);
}
#endif

// Every value of the identity's report is one character, the shortest there is: only the
// digits of the step numbers, 1 to 4, are beyond the disk check's lower bound.
TEST(smallest_report, is_the_identitys_without_its_step_numbers)
{
    EXPECT_EQ(smallest_report_bytes(3) + 4, report_case_named("identity_of_order_three").report.size());
}

} // namespace
} // namespace torvane::testing
