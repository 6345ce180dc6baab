// The torvane program end to end, started as a user would start it, in a scratch directory.

#include "order_limits.hpp"
#include "system_limits.hpp"
#include "test_support.hpp"

#include <cstdlib>
#include <sys/wait.h>

namespace torvane::testing {
namespace {

struct finished {
    int status;
    std::string out;
    std::string err;
};

class console : public in_scratch_directory {
protected:
    // Runs torvane with `arguments` (shell words) and `input` on its standard input; with a
    // time limit, a run still going after that many seconds is killed.
    finished run(const std::string& arguments, const std::string& input = "", int time_limit = 0)
    {
        write_file("stdin.txt", input);
        const std::string limit = time_limit > 0 ? "timeout -s KILL " + std::to_string(time_limit) + " " : "";
        const std::string command = limit + "'" + TORVANE_CONSOLE + "' " + arguments +
                                    " < stdin.txt > stdout.txt 2> stderr.txt";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file("stdout.txt"), read_file("stderr.txt")};
    }
};

TEST_F(console, raw_output_is_the_report_file)
{
    const finished f = run("--dimension 2 --data \"$(printf '1 2\\r\\n3 4')\" --raw");
    EXPECT_EQ(f.status, 0);
    EXPECT_EQ(f.out, example_report());
    EXPECT_EQ(read_file("mat.result"), f.out);
    EXPECT_EQ(read_file("mat.data"), "2\n1 2\r\n3 4");
    EXPECT_EQ(f.err, "");
}

TEST_F(console, terminal_view_has_utf8_labels_and_lf)
{
    const finished f = run("--dimension 2 --data '1 2 3 4'");
    EXPECT_EQ(f.status, 0);
    EXPECT_EQ(f.out.substr(0, 9), "\u7B2C 1\u6B65\n");
    EXPECT_EQ(f.out.find('\r'), std::string::npos);
    EXPECT_NE(f.out.find("\n\u6C42\u9006\u7ED3\u679C\uFF1A\n-2  1  \n1.5  -0.5  \n"), std::string::npos);
    EXPECT_EQ(read_file("mat.result"), example_report());
}

TEST_F(console, data_from_standard_input_and_from_a_file)
{
    EXPECT_EQ(run("--dimension 2 --raw", "1 2\r\n3 4").out, example_report());
    write_file("matrix.txt", "1 2\r\n3 4");
    EXPECT_EQ(run("--dimension 2 --data-file matrix.txt --raw").out, example_report());
}

struct exit_case {
    const char* name;
    const char* arguments;
    int status;
    const char* message_part;
};

const exit_case exit_cases[] = {
    {"no_positive_order", "--dimension 0 --data '1'", 1, "no positive order"},
    {"empty_data", "--dimension 2 --data ''", 1, "no positive order"},
    {"unknown_option", "--dimension 2 --bogus", 2, "unknown option"},
    {"unreadable_data_file", "--dimension 2 --data-file missing.txt", 2, "missing.txt"},
    {"endless_data_file", "--dimension 2 --data-file /dev/zero", 2, "more than 1 GiB"},
    {"order_too_large", "--dimension 100000 --data 1", 3, "100000"},
};

class console_exit : public console, public ::testing::WithParamInterface<exit_case> {};

TEST_P(console_exit, status_and_message)
{
    const finished f = run(GetParam().arguments);
    EXPECT_EQ(f.status, GetParam().status);
    EXPECT_NE(f.err.find(GetParam().message_part), std::string::npos) << f.err;
    EXPECT_EQ(f.out, "");
}

INSTANTIATE_TEST_SUITE_P(cases, console_exit, ::testing::ValuesIn(exit_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// Orders far beyond what a run can take are answered at once with the reason, never by an
// out-of-memory kill (100000 is among the exit cases above). The program runs under a time
// limit only so that a regression ends as a failure instead of a hung test: the 60 s guard
// against a kill, they do not time anything.
struct huge_order_case {
    const char* dimension;
    bool for_memory;  // refused for memory, else for disk
};

class console_huge_order : public console, public ::testing::WithParamInterface<huge_order_case> {};

TEST_P(console_huge_order, exits_with_the_reason)
{
    const huge_order_case& c = GetParam();
    const std::int32_t n = std::stoi(c.dimension);
    if (c.for_memory && matrix_bytes(n) <= physical_memory_bytes())
        GTEST_SKIP() << "this machine has the memory for order " << n;
    if (!c.for_memory && smallest_report_bytes(n) <= current_directory_free_bytes())
        GTEST_SKIP() << "this disk has room for the report of order " << n;

    const finished f = run(std::string("--dimension ") + c.dimension + " --data '1 2 3 4'", "", 60);
    EXPECT_EQ(f.status, 3) << "137 or -1 is a kill";
    EXPECT_NE(f.err.find(std::string("an order of ") + c.dimension), std::string::npos) << f.err;
    EXPECT_NE(f.err.find(c.for_memory ? "memory" : "disk"), std::string::npos) << f.err;
    EXPECT_EQ(f.out, "");
    EXPECT_EQ(read_file("mat.data"), std::string(c.dimension) + "\n1 2 3 4");
    EXPECT_EQ(read_file("mat.result"), "");
}

INSTANTIATE_TEST_SUITE_P(orders, console_huge_order,
                         ::testing::Values(huge_order_case{"2147483647", true}, huge_order_case{"20000", false},
                                           huge_order_case{"5000", false}),
                         [](const auto& info) { return std::string("order_") + info.param.dimension; });

// Bad input as a user types it: each gives a report of the matrix the rules read from it,
// or the plain "no positive order" answer; none crashes or loses the texts. Each expected
// row is the first row line of step 1, worked out from the reading rules: a number ends at
// the first character that cannot continue it, a failed read repeats the last entry read
// (0 before any), and a zero pivot is repaired by adding the last row.
struct bad_input_case {
    const char* name;
    std::string arguments;
    std::string input;      // standard input, for texts no command line can carry
    int status;
    std::string in_report;  // a part of the raw report, when one is printed
};

using namespace std::string_literals;

const bad_input_case bad_input_cases[] = {
    {"commas", "--dimension 2 --data '1, 2, 3, 4'", "", 0, "\r\n1  1   | 1  0  \r\n"},
    {"order_then_entry", "--dimension '2 5' --data '1 2 3'", "", 0, "\r\n5  1   | 1  0  \r\n"},
    {"order_with_fraction", "--dimension 2.5 --data '1 2 3'", "", 0, "\r\n0.5  1   | 1  0  \r\n"},
    {"full_width_order_utf8", "--dimension '\xEF\xBC\x92' --data '1 2 3 4'", "", 1, ""},
    {"full_width_order_gbk", "--dimension '\xA3\xB2' --data '1 2 3 4'", "", 1, ""},
    {"full_width_entries", "--dimension 2 --data '\xEF\xBC\x91 \xEF\xBC\x92 \xEF\xBC\x93 \xEF\xBC\x94'", "", 0,
     "\r\n0  0   | 1  1  \r\n"},
    {"nul_byte_among_entries", "--dimension 2", "1 2\0 3 4"s, 0,
     "\r\n1  2   | 1  0  \r\n0  -2   | -2  1  \r\n"},
    {"very_long_entry", "--dimension 2 --data '1 " + std::string(400, '9') + " 3 4'", "", 0,
     "\r\n1  1   | 1  0  \r\n"},
    {"very_long_order", "--dimension " + std::string(300, '0') + "2 --data '1 2 3 4'", "", 0,
     "\r\n-2  1  \r\n1.5  -0.5  \r\n"},
    {"order_too_long_for_an_integer", "--dimension " + std::string(400, '9') + " --data '1 2 3 4'", "", 1, ""},
};

class console_bad_input : public console, public ::testing::WithParamInterface<bad_input_case> {};

TEST_P(console_bad_input, gives_a_report_or_no_order)
{
    const bad_input_case& c = GetParam();
    const finished f = run(c.arguments + " --raw", c.input);
    EXPECT_EQ(f.status, c.status) << f.err;
    if (c.status == 0) {
        EXPECT_NE(f.out.find(c.in_report), std::string::npos) << f.out;
        EXPECT_EQ(read_file("mat.result"), f.out);
        // Only the note on where reading stopped (its wording: views_test.cpp).
        EXPECT_TRUE(f.err.empty() || f.err.rfind("torvane: reading stopped ", 0) == 0) << f.err;
    } else {
        EXPECT_NE(f.err.find("no positive order"), std::string::npos) << f.err;
        EXPECT_EQ(f.out, "");
    }
    if (!c.input.empty())
        EXPECT_EQ(read_file("mat.data"), "2\n" + c.input);
}

INSTANTIATE_TEST_SUITE_P(cases, console_bad_input, ::testing::ValuesIn(bad_input_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(console, report_that_cannot_reach_standard_output_is_a_failure)
{
    const std::string command = std::string("'") + TORVANE_CONSOLE +
                                "' --dimension 2 --data '1 2 3 4' --raw > /dev/full 2> stderr.txt";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 3);
    EXPECT_NE(read_file("stderr.txt").find("could not write the report to standard output"), std::string::npos);
}

TEST_F(console, unwritable_report_names_the_file)
{
    std::filesystem::create_directory("mat.result");
    const finished f = run("--dimension 2 --data '1 2 3 4'");
    EXPECT_EQ(f.status, 3);
    EXPECT_NE(f.err.find("\"mat.result\""), std::string::npos) << f.err;
}

TEST_F(console, help_and_version)
{
    EXPECT_EQ(run("--version").out, "torvane 1.0.0.1\n");
    const finished help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--dimension"), std::string::npos);
}

TEST_F(console, no_progress_line_when_stderr_is_not_a_terminal)
{
    std::string data;
    for (int i = 0; i < 60 * 60; ++i)
        data += std::to_string(i % 7 + (i % 61 == 0 ? 5 : 0)) + " ";
    write_file("matrix.txt", data);
    const finished f = run("--dimension 60 --data-file matrix.txt --raw");
    EXPECT_EQ(f.status, 0);
    EXPECT_EQ(f.err, "");
    EXPECT_EQ(f.out, read_file("mat.result"));
}

} // namespace
} // namespace torvane::testing
