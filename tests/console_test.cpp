// The torvane program started as a user starts it, through the shell, in a scratch
// directory: every case of the corpus, then how each kind of answer maps to an exit status
// and a message.

#include "shell_run.hpp"
#include "terminal_text.hpp"

#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace torvane::testing {
namespace {

// Runs a shell line in which `torvane` names the program under test.
finished run(const std::string& line)
{
    return run_shell(std::string("torvane() { '") + TORVANE_CONSOLE + "' \"$@\"; }; " + line);
}

class console_report : public in_scratch_directory, public ::testing::WithParamInterface<report_case> {};

// --raw prints the bytes of mat.result; no positive order is exit 1 with nothing printed.
TEST_P(console_report, prints_the_expected_report_or_exits_1)
{
    const report_case& c = GetParam();
    write_file("dimension.txt", c.dimension);
    write_file("data.txt", c.data);
    const finished f = run("torvane --dimension \"$(cat dimension.txt)\" --data-file data.txt --raw");
    EXPECT_EQ(f.status, c.computes() ? 0 : 1) << f.err;
    if (c.computes()) {
        EXPECT_TRUE(is_report_of(c, f.out));
        // No progress line when stderr is not a terminal; at most the note on where reading
        // stopped, for the inputs that stop it.
        EXPECT_TRUE(f.err.empty() || f.err.rfind("torvane: reading stopped at ", 0) == 0) << f.err;
    } else {
        // One line that names what was wrong (console_answers.tsv holds each kind).
        EXPECT_EQ(f.out, "");
        EXPECT_TRUE(f.err.starts_with("torvane: ") && f.err.ends_with(", so nothing was computed\n") &&
                    f.err.find('\n') + 1 == f.err.size())
            << f.err;
    }
}

INSTANTIATE_TEST_SUITE_P(reports, console_report, ::testing::ValuesIn(report_cases()),
                         [](const auto& info) { return info.param.name; });

class console_answer : public in_scratch_directory, public ::testing::WithParamInterface<std::vector<std::string>> {};

// The rows are in tests/data/console_answers.tsv: name, exit status, shell line, and a part
// of standard output when the status is 0, else of standard error.
TEST_P(console_answer, exit_status_and_message)
{
    const int status = std::stoi(GetParam()[1]);
    const finished f = run(GetParam()[2]);
    EXPECT_EQ(f.status, status) << f.err;
    EXPECT_NE((status == 0 ? f.out : f.err).find(GetParam()[3]), std::string::npos) << f.out.substr(0, 500) << f.err;
    EXPECT_EQ(status == 0 ? f.err : f.out, "");
}

INSTANTIATE_TEST_SUITE_P(cases, console_answer, ::testing::ValuesIn(data_table("console_answers.tsv")),
                         [](const auto& info) { return info.param[0]; });

// Runs torvane on the order 100 case with standard error on a terminal or in a file. The
// progress line keeps quiet for a run's first second, and the run takes some 50 ms, so
// strace holds the run's first lock call (made after the progress line's clock started)
// for 1.2 s: every step comes after that second, however fast or busy the machine.
// Returns what reached stderr.
constexpr const char* strace = "/usr/bin/strace";

std::string standard_error_of_a_long_run(bool on_terminal)
{
    write_file("data.txt", report_case_named("two_threads_order_100").data);
    int terminal = -1, console = -1;
    if (on_terminal)
        openpty(&terminal, &console, nullptr, nullptr, nullptr);
    else
        console = terminal = open("stderr.txt", O_RDWR | O_CREAT | O_TRUNC, 0644);
    const pid_t child = fork();
    if (child == 0) {
        dup2(console, STDERR_FILENO);
        dup2(open("report.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        // A leak checker cannot run under a tracer; the sanitized build's other tests look for leaks.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        execl(strace, "strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=flock", "-e",
              "inject=flock:delay_exit=1200000:when=1", TORVANE_CONSOLE, "--dimension", "100", "--data-file",
              "data.txt", "--raw", nullptr);
        _exit(127);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(is_report_of(report_case_named("two_threads_order_100"), read_file("report.txt")));
    if (!on_terminal)
        return read_file("stderr.txt");
    close(console);
    std::string shown;
    for (char chunk[4096]; const auto got = read(terminal, chunk, sizeof chunk);)
        if (got > 0)
            shown.append(chunk, static_cast<std::size_t>(got));
        else
            break;
    return shown;
}

class console_progress : public in_scratch_directory {
protected:
    void SetUp() override
    {
        in_scratch_directory::SetUp();
        if (access(strace, X_OK) != 0)
            TORVANE_SKIP_FOR_WANT_OF("strace (Debian's strace), which holds the run past its quiet first second");
    }
};

TEST_F(console_progress, shows_on_a_terminal_and_is_wiped_at_the_end)
{
    const std::string shown = standard_error_of_a_long_run(true);
    EXPECT_EQ(shown.rfind("\rtorvane: step ", 0), 0u) << shown;
    EXPECT_NE(shown.find(" of 198\rtorvane: step 198 of 198\r\033[K"), std::string::npos) << shown;
}

TEST_F(console_progress, stays_off_standard_error_that_is_no_terminal)
{
    EXPECT_EQ(standard_error_of_a_long_run(false), "");
}

// The report reaches the converter in pieces that may split a GBK label or a CR LF.
TEST(terminal_text, converts_the_same_however_the_report_is_split)
{
    const std::string raw = "\xB5\xDA 12\xB2\xBD\r\n1  2  \r\n\xC7\xF3\xC4\xE6\xBD\xE1\xB9\xFB\xA3\xBA\r\na\rb\rx\xB5";
    const std::pair<terminal_encoding, std::string> views[] = {
        {terminal_encoding::utf8, "\u7B2C 12\u6B65\n1  2  \n\u6C42\u9006\u7ED3\u679C\uFF1A\na\rb\rx\xB5"},
        {terminal_encoding::gbk, "\xB5\xDA 12\xB2\xBD\n1  2  \n\xC7\xF3\xC4\xE6\xBD\xE1\xB9\xFB\xA3\xBA\na\rb\rx\xB5"}};
    for (const auto& [encoding, expected] : views)
        for (std::size_t piece = 1; piece <= raw.size(); ++piece) {
            terminal_text converter(encoding);
            std::string out;
            for (std::size_t at = 0; at < raw.size(); at += piece)
                converter.convert(std::string_view(raw).substr(at, piece), out);
            converter.finish(out);
            EXPECT_EQ(out, expected) << "pieces of " << piece;
        }
}

} // namespace
} // namespace torvane::testing
