// Loading [A | I] from the data text, and the row update.

#include "eliminate.hpp"
#include "load_matrix.hpp"
#include "state.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace torvane {
namespace {

using rows = std::vector<std::vector<float>>;

rows matrix_rows()
{
    rows out;
    for (std::size_t r = 0; r < matrix.rows(); ++r)
        out.emplace_back(matrix.row(r), matrix.row(r) + matrix.width());
    return out;
}

// Loads as a run does: a fresh state, the text as the contents of "mat.data".
rows load(const std::string& text, std::int32_t previous_dimension = 0)
{
    in_file.close();
    in_file.clear();
    dimension = previous_dimension;
    matrix.clear();
    in_file.open_text(text);
    load_matrix();
    in_file.close();
    in_file.clear();
    return matrix_rows();
}

struct load_case {
    const char* name;
    const char* text;
    std::int32_t dimension;
    rows expected;
};

const load_case load_cases[] = {
    {"order_one", "1\n4", 1, {{4, 1}}},
    {"two_by_two", "2\n1 2\r\n3 4", 2, {{1, 2, 1, 0}, {3, 4, 0, 1}}},
    {"missing_entries_repeat_the_last", "3\n1 2 3 4 5 6 7 8", 3, {{1, 2, 3, 1, 0, 0}, {4, 5, 6, 0, 1, 0}, {7, 8, 8, 0, 0, 1}}},
    {"comma_stops_reading", "2\n1, 2, 3, 4", 2, {{1, 1, 1, 0}, {1, 1, 0, 1}}},
    {"dimension_with_fraction", "2.5\n1 2 3 4", 2, {{0.5f, 1, 1, 0}, {2, 3, 0, 1}}},
    {"dimension_with_two_numbers", "2 5\n1 2 3 4", 2, {{5, 1, 1, 0}, {2, 3, 0, 1}}},
    {"failure_before_any_entry_gives_zero", "2\nx 1 2 3", 2, {{0, 0, 1, 0}, {0, 0, 0, 1}}},
    {"exponents_and_signs", "2\n1e2 -2.5E-1 +3 .5", 2, {{100, -0.25f, 1, 0}, {3, 0.5f, 0, 1}}},
    {"overflow_fails_and_repeats", "2\n7 1e39 2 3", 2, {{7, 7, 1, 0}, {7, 7, 0, 1}}},
    {"order_zero_reads_nothing", "0\n1 2", 0, {}},
    {"negative_order_reads_nothing", "-3\n1 2", -3, {}},
};

class loading : public ::testing::TestWithParam<load_case> {};

TEST_P(loading, builds_the_augmented_matrix)
{
    const load_case& c = GetParam();
    EXPECT_EQ(load(c.text), c.expected);
    EXPECT_EQ(dimension, c.dimension);
}

INSTANTIATE_TEST_SUITE_P(cases, loading, ::testing::ValuesIn(load_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(loading_failures, failed_order_keeps_the_previous_value)
{
    EXPECT_EQ(load("abc", 5).size(), 5u);
    EXPECT_EQ(dimension, 5);
}

TEST(row_update, adds_a_multiple_of_one_row_to_another)
{
    load("2\n1 2 3 4");
    add_scaled_row(1, 0, -3.0f);
    EXPECT_EQ(matrix_rows(), (rows{{1, 2, 1, 0}, {0, -2, -3, 1}}));
}

TEST(row_update, evaluates_in_double_and_rounds_once_to_float)
{
    // (1 + 2^-23)^2 = 1 + 2^-22 + 2^-46. In float the product would round to 1 + 2^-22 and
    // the sum with -(1 + 2^-22) would be 0; in double the 2^-46 survives.
    load("2\n1.00000011920928955078125 0  -1.0000002384185791015625 0");
    add_scaled_row(1, 0, 1.00000011920928955078125f);
    EXPECT_EQ(matrix.at(1, 0), std::ldexp(1.0f, -46));
}

} // namespace
} // namespace torvane
