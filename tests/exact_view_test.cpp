// The working in fractions against matrices worked by hand, and the LaTeX document.

#include "accuracy_check.hpp"
#include "elimination_record.hpp"
#include "exact_view.hpp"
#include "latex_view.hpp"
#include "test_support.hpp"

namespace torvane::testing {
namespace {

struct exact_run {
    std::string text;          // the --exact view, plain, with Unicode signs
    std::string latex;         // the --latex document with --exact
    std::string latex_single;  // and without it
};

exact_run run_exactly(const std::string& dimension, const std::string& data)
{
    std::vector<pass_record> passes;
    elimination_record record([&](const pass_record& pass) { passes.push_back(pass); });
    run_options options;
    options.watcher = &record;
    scripted_dialog dialog(dimension, data);
    compute_run(dialog, options);
    const exact_account account = account_exactly(record, passes);
    const accuracy check = check_accuracy(record);
    return {exact_view_text(account, check, {false, true}), latex_exact_document(account, check),
            latex_document(record, passes, check)};
}

struct exact_row {
    const char* name;
    const char* dimension;
    const char* data;
    std::vector<std::string> lines;  // each must appear, in this order
};

const exact_row exact_rows[] = {
    // [[1, 2], [3, 4]]: R2 - 3 R1 gives (0, -2 | -3, 1); R1 + R2 gives (1, 0 | -2, 1); the
    // inverse is [[-2, 1], [3/2, -1/2]], and single precision gets every entry exactly.
    {"by_hand_two_by_two", "2", "1 2 3 4",
     {"row 2 += -3 \u00D7 row 1", "  2  0  -2 |  -3  1", "row 1 += 1 \u00D7 row 2", "  1  1   0 |  -2  1",
      "row 2 \u00F7 -2", "  2  3/2  -1/2", "  2  exact  exact", "residual max |A\u00B7X - I|                    0\n",
      "every entry as printed is the exact value"}},
    {"zero_pivot_repaired", "2", "0 1 1 0",
     {"pivot in row 1 is 0: row 2 added to row 1 first", "row 2 += -1 \u00D7 row 1", "  1  1   1 |   1  1"}},
    // A third is no float: the run's value follows, its printed digits the same.
    {"a_third", "1", "3", {"  1  1/3 [0.33333334]\n", "  1  6.0\n", "about 6 significant digits"}},
    // 1.0000001 is 8388609/8388608: the rule wipes the pivot exactly 1/8388608 and repairs it.
    {"the_rule_against_the_fractions", "2", "1 1 1 1.0000001",
     {"single precision's 1e-6 rule set 1 entry to 0 that exactly are not 0: (2, 2) is 1.19209e-07",
      "  2  0  1/8388608 [0]* |  -1  1", "row 1 += -8388608 \u00D7 row 2   [single precision: -inf]",
      "  1   8388609 [-nan]*  -8388608 [-nan]*"}},
    {"singular_exactly", "3", "1 2 3 4 5 6 7 8 9",
     {"row 3 += -2 \u00D7 row 2", "  3  0   0   0 |   1  -2  1", "is 0 even so: exactly, A is singular"}},
    // 1e30 as a float has 31 digits: its inverse is shortened, and X's 0 is marked.
    {"long_numbers_shortened", "2", "1e30 0 0 1",
     {"  1  1000\u20265040[31 digits]  0 |  1  0", "1/1000\u20265040[31 digits] [0]*"}},
};

void PrintTo(const exact_row& row, std::ostream* out) { *out << row.name; }

class exact_working_shown : public in_scratch_directory, public ::testing::WithParamInterface<exact_row> {};

TEST_P(exact_working_shown, as_worked_by_hand)
{
    const exact_row& row = GetParam();
    const std::string text = run_exactly(row.dimension, row.data).text;
    std::size_t from = 0;
    for (const std::string& line : row.lines) {
        const std::size_t at = text.find(line, from);
        ASSERT_NE(at, std::string::npos) << "missing, or out of order: \"" << line << "\" in:\n" << text;
        from = at + line.size();
    }
}

INSTANTIATE_TEST_SUITE_P(matrices, exact_working_shown, ::testing::ValuesIn(exact_rows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(in_scratch_directory, latex_document_has_the_fractions_in_math)
{
    const std::string latex = run_exactly("2", "1 2 3 4").latex;
    EXPECT_EQ(latex.rfind("\\documentclass", 0), 0u);
    for (const char* part : {"\\left[\\begin{array}{rr|rr}", "\\left[\\begin{array}{rr}\n", "R_{2} \\leftarrow R_{2} - 3\\,R_{1}",
                             "\\frac{3}{2} & -\\frac{1}{2}", "\\end{document}\n"})
        EXPECT_NE(latex.find(part), std::string::npos) << part;
    EXPECT_NE(run_exactly("2", "1e30 0 0 1").latex.find("\\frac{1}{1000\\ldots 5040_{(31\\text{ digits})}}"),
              std::string::npos);
    EXPECT_NE(run_exactly("2", "0 1 1 0").latex.find("\\item the pivot in row 1 is 0: row 2 is added to it first"),
              std::string::npos);
}

TEST_F(in_scratch_directory, latex_document_in_single_precision_has_the_report_numbers)
{
    const std::string latex = run_exactly("3", "1 2 0  3 4 0  0 0 1e-5").latex_single;
    for (const char* part : {"R_{2} \\leftarrow R_{2} - 3\\,R_{1}", "-0.5 & 0 \\\\", "10^{-5}",
                             "R_{3} \\div 1 \\times 10^{-5}$", "\\end{document}\n"})
        EXPECT_NE(latex.find(part), std::string::npos) << part;
    std::size_t divisions = 0;
    for (std::size_t at = latex.find("\\div"); at != std::string::npos; at = latex.find("\\div", at + 1))
        ++divisions;
    EXPECT_EQ(divisions, 3u);
}

} // namespace
} // namespace torvane::testing
