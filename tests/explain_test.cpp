// The views' account of the elimination: the operations they name are the ones performed.

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
    run_options options;
    options.watcher = &record;
    scripted_dialog dialog(dimension, data);
    compute_run(dialog, options);
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

} // namespace
} // namespace torvane::testing
