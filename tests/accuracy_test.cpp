// The accuracy check of the views: it trusts an inverse only when every entry is right,
// names the cause the run really met, and its figures never contradict its verdict.

#include "accuracy_check.hpp"
#include "elimination_record.hpp"
#include "explain_view.hpp"
#include "test_support.hpp"

#include <cmath>
#include <limits>

namespace torvane::testing {
namespace {

struct checked_run {
    accuracy result;
    std::vector<float> inverse;
};

checked_run check_run(const std::string& dimension, const std::string& data)
{
    elimination_record record(nullptr);
    run_options options;
    options.watcher = &record;
    scripted_dialog dialog(dimension, data);
    compute_run(dialog, options);
    return {check_accuracy(record), record.inverse()};
}

// Hilbert's matrix times `scale`, the least common multiple of 1 .. 2n - 1, so that every
// entry is an integer a float holds exactly; the condition number is the same.
std::string scaled_hilbert(int n, int scale)
{
    std::string text;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            text += std::to_string(scale / (i + j - 1)) + " ";
    return text;
}

// The exact inverse of the Hilbert matrix of order n, by its closed form.
std::vector<double> exact_hilbert_inverse(int n)
{
    const auto choose = [](int top, int k) {
        double r = 1;
        for (int i = 1; i <= k; ++i)
            r = r * (top - k + i) / i;
        return r;
    };
    std::vector<double> h(static_cast<std::size_t>(n * n));
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            h[static_cast<std::size_t>((i - 1) * n + j - 1)] =
                ((i + j) % 2 ? -1 : 1) * (i + j - 1) * choose(n + i - 1, n - j) * choose(n + j - 1, n - i) *
                std::pow(choose(i + j - 2, i - 1), 2);
    return h;
}

using cause = accuracy_cause;

struct accuracy_row {
    const char* name;
    const char* dimension;
    std::string data;
    bool trusted;
    cause expected_cause;
    std::vector<std::string> words;  // the verdict must say these
    int hilbert_scale = 0;           // non-zero: the digits are checked against the exact inverse
};

const accuracy_row accuracy_rows[] = {
    // Huge entries: the 1e-6 rule leaves 0 where the true inverse holds 1e-30.
    {"huge_diagonal", "2", "1e30 0 0 1", false, cause::entries_zeroed,
     {"misses I by up to 1,", "(1, 1) is 1e-30"}},
    {"huge_pair", "3", "1e30 1 0 1 1e30 0 0 0 1", false, cause::entries_zeroed,
     {"misses I by up to 1,", "4 true entries", "(1, 2) is -1e-60"}},
    {"order_one_inverse_below_the_rule", "1", "1e7", false, cause::entries_zeroed,
     {"only 0.0 correct digits", "(1, 1) is 1e-07"}},
    {"small_entry_of_the_inverse_wiped", "2", "1 1 1e-5 123.456", false, cause::entries_zeroed,
     {"(2, 1) is -8.1e-08"}},
    {"working_entry_wiped", "3", "1 2 3 2 4.0000005 7 1 5 2", false, cause::entries_zeroed,
     {"(3, 3) is -1.59e-07", "at (2, 2) in step 1"}},
    {"overflow_with_condition_one", "2", "1e-5 3e38 3e38 1e-5", false, cause::overflow,
     {"step 1 overflowed", "row 2 is -inf", "not singular (condition number 1)"}},
    // x / inf is 0: the inverse comes out finite, but the working overflowed.
    {"overflow_leaving_a_finite_inverse", "2", "3e38 3e38 -3e38 3e38", false, cause::overflow,
     {"its working held inf or nan", "step 1 overflowed", "(in row 2)"}},
    {"just_short_of_the_threshold", "3",
     "1.936919 -4.171411 2.485957 1.936868 -4.171806 2.485883 -1.839017 -0.9453861 0.5639071", false,
     cause::ill_conditioned, {"only 2.9 correct digits", "ill-conditioned (condition number 5.56e+04)"}},
    {"hilbert_3", "3", scaled_hilbert(3, 60), true, cause::none, {"trusted"}, 60},
    {"hilbert_6", "6", scaled_hilbert(6, 27720), false, cause::ill_conditioned,
     {"ill-conditioned (condition number 2.91e+07)"}, 27720},
    {"identity", "3", "1 0 0  0 1 0  0 0 1", true, cause::none, {"7 significant digits"}},
    {"symmetric", "2", "4 1  1 3", true, cause::none, {"trusted"}},
    {"rotation", "2", "0.6 -0.8  0.8 0.6", true, cause::none, {"trusted"}},
    {"permutation_through_repairs", "3", "0 1 0  0 0 1  1 0 0", true, cause::none, {"7 significant digits"}},
    // Block triangular: the true entry (1, 3) is 0, which double precision gets only to 3e-17.
    {"block_triangular", "4", "4.5 4 0 0  0 3 0 0  -1.4 2.430507 9.830507 -5  -1.595 0 0 4.595", true, cause::none,
     {"trusted"}},
    {"second_difference", "3", "2 -1 0  -1 2 -1  0 -1 2", true, cause::none, {"trusted"}},
    {"singular", "2", "1 2  2 4", false, cause::zero_pivot,
     {"step 2 divided by a zero pivot in row 2", "singular."}},
    {"singular_order_one", "1", "0", false, cause::zero_pivot, {"the normalisation divided by a zero pivot"}},
    {"pivot_wiped_by_the_rule", "2", "1 1  1 1.0000001", false, cause::zero_pivot,
     {"set to zero in step 1", "not singular"}},
    {"growth_without_row_exchanges", "2", "1e-5 1  1 1", false, cause::growth, {"grew to 1e+05 times"}},
    {"entry_of_a_wiped_in_the_working", "2", "2e-6 1e-6  1e-6 3e-6", false, cause::working_zeroed,
     {"at (1, 2) in step 1", "condition number 3.2"}},
};

void PrintTo(const accuracy_row& row, std::ostream* out) { *out << row.name; }

class accuracy_judged : public in_scratch_directory, public ::testing::WithParamInterface<accuracy_row> {};

TEST_P(accuracy_judged, trusts_only_a_right_inverse_and_names_the_cause)
{
    const accuracy_row& row = GetParam();
    const checked_run run = check_run(row.dimension, row.data);
    const std::string verdict = accuracy_verdict(run.result, true);
    EXPECT_EQ(trustworthy(run.result), row.trusted) << verdict;
    EXPECT_EQ(run.result.cause, row.expected_cause) << verdict;
    for (const std::string& words : row.words)
        EXPECT_NE(verdict.find(words), std::string::npos) << "missing \"" << words << "\" in: " << verdict;
    if (row.hilbert_scale) {
        double worst_error = 0;
        const std::vector<double> exact = exact_hilbert_inverse(std::stoi(row.dimension));
        for (std::size_t i = 0; i < exact.size(); ++i)
            worst_error = std::max(worst_error, std::fabs(run.inverse[i] * row.hilbert_scale - exact[i]) / std::fabs(exact[i]));
        EXPECT_NEAR(run.result.correct_digits, std::clamp(-std::log10(worst_error), 0.0, float_digits), 0.15);
    }
}

// The figures as printed: no "-0.0", and the digits shown agree with the verdict.
TEST_P(accuracy_judged, printed_figures_agree_with_the_verdict)
{
    const accuracy_row& row = GetParam();
    const checked_run run = check_run(row.dimension, row.data);
    const std::vector<std::string> lines = accuracy_lines(run.result, {});
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("-0.0"), std::string::npos) << line;
    const std::string& digits_line = lines.at(3);
    const std::size_t end = digits_line.find(" (row");
    const std::size_t start = digits_line.find_last_of(' ', end - 1) + 1;
    const double shown = std::stod(digits_line.substr(start, end - start));
    if (trustworthy(run.result))
        EXPECT_GE(shown, trusted_digits) << digits_line;
    else if (lines.back().find(" correct digits") != std::string::npos)
        EXPECT_LT(shown, trusted_digits) << digits_line << "\n" << lines.back();
}

INSTANTIATE_TEST_SUITE_P(matrices, accuracy_judged, ::testing::ValuesIn(accuracy_rows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace torvane::testing
