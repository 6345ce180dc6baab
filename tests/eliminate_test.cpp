// The elimination's thresholds, pivot repair and the cleaning of tiny entries, seen in
// the lines of the report that show them.

#include "test_support.hpp"

#include <sstream>
#include <vector>

namespace torvane::testing {
namespace {

class elimination : public in_scratch_directory {};

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Line `row` of the block of step `number`, for an order-n report.
std::string step_row(const std::string& report, int n, int number, int row)
{
    const auto lines = lines_of(report);
    const std::size_t index = static_cast<std::size_t>((number - 1) * (n + 2) + 1 + row);
    return index < lines.size() ? lines[index] : "(missing)";
}

struct pivot_case {
    const char* name;
    const char* dimension;
    const char* data;
    int row;
    const char* expected_first_step_row;
};

// Which row repairs a tiny pivot, and whether a pivot counts as tiny, shows in the first
// step block: the pivot row is the sum of the old pivot row and the repairing row.
const pivot_case pivot_cases[] = {
    // The float nearest 1e-6 lies below it: it is tiny, and as a candidate not usable,
    // so the last row repairs the pivot.
    {"below_threshold_candidate_skipped", "3", "0 1 0  9.99999997e-7 1 0  1 0 1", 0, "1  1  1   | 1  0  1  "},
    // The next float up is usable, so the first candidate row repairs the pivot.
    {"above_threshold_candidate_taken", "3", "0 1 0  1.00000011e-6 1 0  1 0 1", 0, "1e-06  2  0   | 1  1  0  "},
    // A pivot of 1e-7 is repaired like a zero; one of 2e-6 is used as it is.
    {"tiny_pivot_repaired", "2", "1e-7 1  1 1", 0, "1  2   | 1  1  "},
    {"small_pivot_used", "2", "2e-6 1  1 1", 0, "2e-06  1   | 1  0  "},
    {"small_pivot_scales_other_rows", "2", "2e-6 1  1 1", 1, "0  -499999   | -500000  1  "},
    // With every candidate tiny, the last row is still added, untested.
    {"all_candidates_tiny", "3", "0 1 0  0 1 0  0 0 1", 0, "0  1  1   | 1  0  1  "},
    // The pivot threshold is the double 1e-6, so the float nearest 1e-6 counts as tiny.
    {"nearest_float_to_threshold_is_tiny", "2", "9.99999997e-7 1  1 1", 0, "1  2   | 1  1  "},
    {"next_float_is_not_tiny", "2", "1.00000011e-6 1  1 1", 0, "1e-06  1   | 1  0  "},
};

class pivot_choice : public in_scratch_directory, public ::testing::WithParamInterface<pivot_case> {};

TEST_P(pivot_choice, shows_in_first_step)
{
    const pivot_case& c = GetParam();
    const int n = std::stoi(c.dimension);
    EXPECT_EQ(step_row(report_of(c.dimension, c.data), n, 1, c.row), c.expected_first_step_row);
}

INSTANTIATE_TEST_SUITE_P(thresholds, pivot_choice, ::testing::ValuesIn(pivot_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(elimination, tiny_input_entries_are_written_as_plain_zero)
{
    const std::string text = report_of("2", "1 -3e-7  3e-7 1");
    EXPECT_EQ(step_row(text, 2, 1, 0), "1  0   | 1  0  ");
    EXPECT_EQ(step_row(text, 2, 1, 1), "0  1   | 0  1  ");
}

TEST_F(elimination, an_entry_a_pass_leaves_tiny_becomes_zero)
{
    // 1.0000003 - 1 is a few 1e-7: cleaned to 0 after the first pass.
    EXPECT_EQ(step_row(report_of("2", "1 1  1 1.0000003"), 2, 1, 1), "0  0   | -1  1  ");
}

TEST_F(elimination, cleaned_entries_feed_into_later_passes)
{
    // Row 2 holds 3e-7 in column 1. Cleaned to 0 after pass 1, it gives a zero factor in
    // pass 2, so row 2 keeps its 1; left uncleaned it would take -0.3 from row 1.
    const std::string text = report_of("3", "1 0 0  0 1 1e6  0 3e-7 1");
    EXPECT_EQ(step_row(text, 3, 2, 2), "0  0  1   | 0  0  1  ");
}

TEST_F(elimination, backward_phase_clears_above_the_diagonal_from_the_last_pivot)
{
    const std::string text = report_of("3", "2 1 1  1 3 2  1 0 0");
    // After the last backward pass the left half is diagonal.
    for (int row = 0; row < 3; ++row) {
        const std::string line = step_row(text, 3, 4, row);
        ASSERT_NE(line.find('|'), std::string::npos) << line;
        std::istringstream left(line.substr(0, line.find('|')));
        float value = 0;
        for (int c = 0; left >> value; ++c)
            if (c != row) {
                EXPECT_EQ(value, 0.0f) << "row " << row << " column " << c;
            }
    }
    // And the inverse is right: A^-1 = [[0, 0, 1], [-2, 1, 3], [3, -1, -5]].
    EXPECT_NE(text.find("\r\n0  0  1  \r\n-2  1  3  \r\n3  -1  -5  \r\n"), std::string::npos) << text;
}

} // namespace
} // namespace torvane::testing
