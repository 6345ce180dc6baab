// The torvane program end to end, started as a user would start it, in a scratch directory.

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
    // Runs torvane with `arguments` (shell words) and `input` on its standard input.
    finished run(const std::string& arguments, const std::string& input = "")
    {
        write_file("stdin.txt", input);
        const std::string command = std::string("'") + TORVANE_CONSOLE + "' " + arguments +
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
