// The views' account of the elimination: the operations they name are the ones performed,
// and the accuracy check agrees with values worked out independently.

#include "accuracy_check.hpp"
#include "elimination_record.hpp"
#include "explain_view.hpp"
#include "test_support.hpp"

#include <cmath>
#include <random>
#include <regex>

namespace torvane::testing {
namespace {

struct watched {
    std::uint32_t n = 0;
    std::vector<pass_record> passes;
    std::vector<float> a;
    std::vector<float> inverse;
};

watched watch_run(const std::string& dimension, const std::string& data)
{
    watched w;
    elimination_record record([&w](const pass_record& pass) { w.passes.push_back(pass); });
    scripted_dialog dialog(dimension, data);
    compute_run(dialog);
    w.n = record.order();
    w.a = record.matrix_a();
    w.inverse = record.inverse();
    return w;
}

class explained : public in_scratch_directory {};

using lines = std::vector<std::string>;

struct operations_case {
    const char* name;
    const char* dimension;
    const char* data;
    std::vector<lines> steps;  // the operation lines of every pass, in order
};

const operations_case operations_cases[] = {
    {"two_by_two", "2", "1 2 3 4", {{"  row 2 += -3 \u00D7 row 1"}, {"  row 1 += 1 \u00D7 row 2"}}},
    {"zero_pivot_repaired_by_the_only_later_row", "2", "0 1 1 0",
     {{"  pivot in row 1 is 0, below 1e-6: row 2 added to row 1 first", "  row 2 += -1 \u00D7 row 1"},
      {"  row 1 += 1 \u00D7 row 2"}}},
    // Row 2 has a zero in the pivot column too, so the last row repairs the pivot.
    {"repair_takes_the_last_row", "3", "0 1 2  0 3 4  5 6 8",
     {{"  pivot in row 1 is 0, below 1e-6: row 3 added to row 1 first", "  row 2 += -0 \u00D7 row 1",
       "  row 3 += -1 \u00D7 row 1"},
      {"  row 3 += 0.33333334 \u00D7 row 2", "  1 entry below 1e-6 set to 0: (3, 2)"},
      {"  row 2 += 6.0000005 \u00D7 row 3", "  row 1 += 15.000001 \u00D7 row 3",
       "  2 entries below 1e-6 set to 0: (1, 3), (2, 3)"},
      {"  row 1 += -2.3333333 \u00D7 row 2", "  2 entries below 1e-6 set to 0: (1, 2), (1, 4)"}}},
};

class operations_named : public explained, public ::testing::WithParamInterface<operations_case> {};

TEST_P(operations_named, are_the_ones_performed)
{
    const operations_case& c = GetParam();
    const watched w = watch_run(c.dimension, c.data);
    ASSERT_EQ(w.passes.size(), c.steps.size());
    for (std::size_t i = 0; i < c.steps.size(); ++i)
        EXPECT_EQ(operation_lines(w.passes[i], w.n, {}), c.steps[i]) << "step " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(worked_examples, operations_named, ::testing::ValuesIn(operations_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// Redoes a pass from the words alone: each named row operation, evaluated in double and
// stored in float, then the 1e-6 rule. The result must be the next step block exactly.
std::vector<float> redo_from_words(const std::vector<float>& before, std::size_t n, const lines& words)
{
    std::vector<float> m = before;
    const auto add_row = [&](std::size_t target, std::size_t source, float factor) {
        for (std::size_t c = 0; c < 2 * n; ++c)
            m[target * 2 * n + c] = static_cast<float>(double(m[source * 2 * n + c]) * factor + m[target * 2 * n + c]);
    };
    const std::regex repair(R"(row (\d+) added to row (\d+) first)");
    const std::regex update(R"(row (\d+) \+= (\S+) \S+ row (\d+))");
    std::smatch match;
    for (const std::string& line : words) {
        if (std::regex_search(line, match, repair))
            add_row(std::stoul(match[2]) - 1, std::stoul(match[1]) - 1, 1.0f);
        else if (std::regex_search(line, match, update))
            add_row(std::stoul(match[1]) - 1, std::stoul(match[3]) - 1, std::stof(match[2]));
    }
    for (float& v : m)
        v = std::fabs(v) < 1e-6 ? 0.0f : v;
    return m;
}

TEST_F(explained, printed_factors_reproduce_every_step_of_random_matrices)
{
    std::mt19937 random(20261207);
    for (int trial = 0; trial < 40; ++trial) {
        const std::size_t n = 2 + trial % 6;
        std::string data;
        for (std::size_t i = 0; i < n * n; ++i) {
            const int kind = static_cast<int>(random() % 10);
            // Zeros give pivot repairs; tiny entries give cleanings.
            const float v = kind == 0 ? 0.0f : kind == 1 ? 4e-7f : std::uniform_real_distribution<float>(-9, 9)(random);
            data += std::to_string(v) + " ";
        }
        const watched w = watch_run(std::to_string(n), data);
        ASSERT_EQ(w.passes.size(), 2 * n - 2);
        for (const pass_record& pass : w.passes) {
            const std::vector<float> redone = redo_from_words(pass.before, n, operation_lines(pass, n, {}));
            ASSERT_EQ(redone, pass.after) << "trial " << trial << ", step " << pass.step << ", data " << data;
        }
    }
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

// Hilbert's matrix times the least common multiple of 1 .. 2n - 1, so that every entry is
// an integer a float holds exactly; the condition number is the same.
std::string scaled_hilbert(int n, int scale)
{
    std::string text;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            text += std::to_string(scale / (i + j - 1)) + " ";
    return text;
}

struct accuracy_case {
    const char* name;
    int n;
    std::string data;
    double condition;  // known in closed form or by hand
    int hilbert_scale; // non-zero: digits are compared with the exact Hilbert inverse
    bool trusted;
};

const double infinity = std::numeric_limits<double>::infinity();

const accuracy_case accuracy_cases[] = {
    {"identity", 3, "1 0 0  0 1 0  0 0 1", 1, 0, true},
    {"well_conditioned", 2, "4 1  1 3", 5.0 * 5.0 / 11.0, 0, true},  // ||A|| = 5, ||A^-1|| = 5/11
    {"hilbert_4", 4, scaled_hilbert(4, 420), 28375, 420, true},
    {"hilbert_6", 6, scaled_hilbert(6, 27720), 29070279.0029, 27720, false},
    {"singular", 2, "1 2  2 4", infinity, 0, false},
};

class accuracy_checked : public explained, public ::testing::WithParamInterface<accuracy_case> {};

TEST_P(accuracy_checked, agrees_with_independent_values)
{
    const accuracy_case& c = GetParam();
    const watched w = watch_run(std::to_string(c.n), c.data);
    const accuracy result = check_accuracy(static_cast<std::size_t>(c.n), w.a, w.inverse);
    if (std::isinf(c.condition))
        EXPECT_TRUE(std::isinf(result.condition));
    else
        EXPECT_NEAR(result.condition, c.condition, c.condition * 1e-9);
    EXPECT_EQ(trustworthy(result), c.trusted) << accuracy_verdict(result);

    // The residual and the digits, worked out here in long double from their definitions.
    long double residual = 0;
    double worst_error = 0;
    for (int i = 0; i < c.n; ++i)
        for (int j = 0; j < c.n; ++j) {
            long double sum = i == j ? -1 : 0;
            for (int k = 0; k < c.n; ++k)
                sum += static_cast<long double>(w.a[i * c.n + k]) * w.inverse[k * c.n + j];
            residual = std::isnan(sum) ? sum : std::max(residual, std::fabs(sum));
        }
    if (std::isnan(residual))
        EXPECT_TRUE(std::isnan(result.residual));
    else
        EXPECT_NEAR(result.residual, static_cast<double>(residual), 1e-12 + 1e-6 * static_cast<double>(residual));
    if (c.hilbert_scale) {
        const std::vector<double> exact = exact_hilbert_inverse(c.n);
        for (std::size_t i = 0; i < exact.size(); ++i)
            worst_error =
                std::max(worst_error, std::fabs(w.inverse[i] * c.hilbert_scale - exact[i]) / std::fabs(exact[i]));
        EXPECT_NEAR(result.correct_digits, std::clamp(-std::log10(worst_error), 0.0, float_digits), 0.05);
    } else if (c.trusted) {
        EXPECT_GT(result.correct_digits, 6.5);
    }
}

INSTANTIATE_TEST_SUITE_P(matrices, accuracy_checked, ::testing::ValuesIn(accuracy_cases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace torvane::testing
