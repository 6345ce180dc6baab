// One press of the compute button, driven through the seam in a scratch directory.

#include "order_limits.hpp"
#include "run_messages.hpp"
#include "system_limits.hpp"
#include "test_support.hpp"

#include <chrono>
#include <filesystem>

namespace torvane::testing {
namespace {

namespace fs = std::filesystem;

class compute : public in_scratch_directory {
protected:
    void TearDown() override
    {
        before_report_read = nullptr;
        in_scratch_directory::TearDown();
    }
};

TEST_F(compute, writes_both_files_and_shows_the_report)
{
    scripted_dialog dialog("2", "1 2\r\n3 4");
    const run_status status = compute_run(dialog);
    EXPECT_EQ(status.outcome, run_outcome::completed);
    EXPECT_EQ(read_file("mat.data"), on_disk("2\n1 2\r\n3 4"));
    EXPECT_EQ(read_file("mat.result"), on_disk(dialog.result));
    EXPECT_EQ(dialog.result.substr(0, 8), step_header(1) + "\r\n");
    EXPECT_EQ(dialog.times_set, 1);
}

TEST_F(compute, two_runs_in_a_row_give_the_same_report)
{
    scripted_dialog dialog("3", "2 1 1  1 3 2  1 0 0");
    compute_run(dialog);
    const std::string first = dialog.result;
    compute_run(dialog);
    EXPECT_EQ(dialog.result, first);
    EXPECT_EQ(read_file("mat.result"), on_disk(first));
}

struct early_end_case {
    const char* name;
    const char* dimension;
    const char* data;
    const char* data_file_after;  // what "mat.data" holds afterwards
};

const early_end_case early_end_cases[] = {
    {"zero_order", "0", "1 2 3 4", "0\n1 2 3 4"},
    {"negative_order", "-2", "1 2 3 4", "-2\n1 2 3 4"},
    {"no_leading_number", "abc", "1 2 3 4", "abc\n1 2 3 4"},
    {"order_beyond_32_bits", "99999999999", "1 2 3 4", "99999999999\n1 2 3 4"},
    {"empty_dimension_box", "", "1 2 3 4", ""},
    {"empty_data_box", "2", "", "2\n"},
    {"both_boxes_empty", "", "", ""},
};

class early_end : public compute, public ::testing::WithParamInterface<early_end_case> {};

// Each of these follows a full run with N = 2, which must not carry its order over.
TEST_P(early_end, computes_nothing_and_leaves_the_result_box)
{
    const early_end_case& c = GetParam();
    scripted_dialog dialog("2", "1 2 3 4");
    ASSERT_EQ(compute_run(dialog).outcome, run_outcome::completed);
    const std::string shown = dialog.result;

    dialog.dimension = c.dimension;
    dialog.data = c.data;
    EXPECT_EQ(compute_run(dialog).outcome, run_outcome::no_order);
    EXPECT_EQ(dialog.result, shown);
    EXPECT_EQ(dialog.times_set, 1);
    EXPECT_EQ(read_file("mat.data"), on_disk(c.data_file_after));
    EXPECT_EQ(read_file("mat.result"), "");

    dialog.dimension = "2";
    dialog.data = "1 2\r\n3 4";
    EXPECT_EQ(compute_run(dialog).outcome, run_outcome::completed);
    EXPECT_EQ(dialog.result, example_report());
}

INSTANTIATE_TEST_SUITE_P(cases, early_end, ::testing::ValuesIn(early_end_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(compute, too_few_entries_repeat_the_last_one)
{
    EXPECT_EQ(report_of("3", "1 2 3 4"), report_of("3", "1 2 3 4 4 4 4 4 4"));
}

struct huge_order_case {
    const char* dimension;
    run_failure failure;
};

class huge_order : public compute, public ::testing::WithParamInterface<huge_order_case> {};

TEST_P(huge_order, answers_at_once_with_a_message)
{
    // Each refusal rests on this machine's memory or disk; one that could hold the order
    // has nothing to refuse here.
    const std::int32_t n = std::stoi(GetParam().dimension);
    if (GetParam().failure == run_failure::too_large_for_memory && matrix_bytes(n) <= physical_memory_bytes())
        GTEST_SKIP() << "this machine has the memory for order " << n;
    if (GetParam().failure == run_failure::too_large_for_disk && smallest_report_bytes(n) <= current_directory_free_bytes())
        GTEST_SKIP() << "this disk has room for the report of order " << n;

    const auto started = std::chrono::steady_clock::now();
    scripted_dialog dialog(GetParam().dimension, "1 2 3 4");
    const run_status status = compute_run(dialog);
    EXPECT_EQ(status.outcome, run_outcome::failed);
    EXPECT_EQ(status.failure, GetParam().failure);
    EXPECT_EQ(std::to_string(status.order), GetParam().dimension);
    EXPECT_NE(describe_failure_english(status).find(GetParam().dimension), std::string::npos);
    EXPECT_EQ(dialog.result, "(untouched)");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30)) << "must not start computing";

    dialog.dimension = "2";
    dialog.data = "1 2\r\n3 4";
    EXPECT_EQ(compute_run(dialog).outcome, run_outcome::completed);
    EXPECT_EQ(dialog.result, example_report());
}

INSTANTIATE_TEST_SUITE_P(orders, huge_order,
                         ::testing::Values(huge_order_case{"2147483647", run_failure::too_large_for_memory},
                                           huge_order_case{"100000", run_failure::too_large_for_memory},
                                           huge_order_case{"20000", run_failure::too_large_for_disk},
                                           huge_order_case{"5000", run_failure::too_large_for_disk}));

TEST_F(compute, report_that_cannot_be_created_names_the_file)
{
    fs::create_directory("mat.result");
    scripted_dialog dialog("2", "1 2 3 4");
    const run_status status = compute_run(dialog);
    EXPECT_EQ(status.outcome, run_outcome::failed);
    EXPECT_EQ(status.failure, run_failure::file_not_writable);
    EXPECT_EQ(status.file, "mat.result");
    EXPECT_NE(describe_failure_english(status).find("\"mat.result\""), std::string::npos);
    EXPECT_NE(status.error_number, 0) << "the system's reason belongs in the message";
    EXPECT_EQ(dialog.result, "(untouched)");

    fs::remove("mat.result");
    EXPECT_EQ(compute_run(dialog).outcome, run_outcome::completed);
}

TEST_F(compute, data_file_that_cannot_be_created_names_the_file)
{
    fs::create_directory("mat.data");
    scripted_dialog dialog("2", "1 2 3 4");
    const run_status status = compute_run(dialog);
    EXPECT_EQ(status.failure, run_failure::file_not_writable);
    EXPECT_EQ(status.file, "mat.data");
}

#ifndef _WIN32
TEST_F(compute, full_disk_stops_the_run_and_leaves_no_report)
{
    fs::create_symlink("/dev/full", "mat.result");
    scripted_dialog dialog("40", "1 2 3");
    const run_status status = compute_run(dialog);
    EXPECT_EQ(status.outcome, run_outcome::failed);
    EXPECT_EQ(status.failure, run_failure::file_not_writable);
    EXPECT_EQ(status.file, "mat.result");
    EXPECT_EQ(dialog.result, "(untouched)");
}
#endif

TEST_F(compute, report_deleted_before_it_is_read_back_is_not_shown)
{
    before_report_read = [] { fs::remove("mat.result"); };
    scripted_dialog dialog("2", "1 2 3 4");
    const run_status status = compute_run(dialog);
    EXPECT_EQ(status.outcome, run_outcome::failed);
    EXPECT_EQ(status.failure, run_failure::file_not_readable);
    EXPECT_EQ(status.file, "mat.result");
    EXPECT_EQ(dialog.result, "(untouched)");
}

TEST_F(compute, report_cut_short_before_it_is_read_back_is_not_shown)
{
    before_report_read = [] { fs::resize_file("mat.result", 20); };
    scripted_dialog dialog("2", "1 2 3 4");
    EXPECT_EQ(compute_run(dialog).failure, run_failure::file_not_readable);
    EXPECT_EQ(dialog.result, "(untouched)");
}

TEST_F(compute, messages_exist_in_both_languages)
{
    run_status status;
    status.outcome = run_outcome::failed;
    status.file = "mat.result";
    for (const run_failure failure : {run_failure::too_large_for_memory, run_failure::too_large_for_disk,
                                      run_failure::file_not_writable, run_failure::file_not_readable}) {
        status.failure = failure;
        EXPECT_FALSE(describe_failure_english(status).empty());
        const std::string chinese = describe_failure_chinese_gbk(status);
        EXPECT_FALSE(chinese.empty());
        EXPECT_EQ(chinese.find('\n'), std::string::npos);
    }
}

} // namespace
} // namespace torvane::testing
