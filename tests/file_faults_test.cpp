// Faults of the file system around "mat.data" and "mat.result", made for real in a scratch
// directory, one row of the table each: the run must end with the failure that names the
// file and its reason, show nothing, leave no half-written report, and the next run in a
// healthy directory must work. (A row whose failure is `none` must run as usual.)
//
// Permissions do not stop root, and the tests may run as root: the rows that rest on them
// run in a child process that first gives up root for "nobody". So do the rows that once
// hung, so that a hang ends the child instead of the suite.

#include "run_messages.hpp"
#include "test_support.hpp"

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <csignal>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace torvane::testing {
namespace {

namespace fs = std::filesystem;

// What one run gave: its status and what the result box shows afterwards.
struct observed_run {
    run_status status;
    std::string shown;
};

observed_run run_here(std::function<void()> during_read_back)
{
    before_report_read = std::move(during_read_back);
    scripted_dialog dialog(example().dimension, example().data);
    observed_run observed{compute_run(dialog), dialog.result};
    before_report_read = nullptr;
    return observed;
}

// Gives up root for "nobody"; false when that is not possible here.
bool give_up_root()
{
    if (geteuid() != 0)
        return true;
    const passwd* nobody = getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    return setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0 && geteuid() != 0;
}

enum class child_end { ran, cannot_give_up_root, broke };

// The same run in a child process without root's power over permissions, killed if it
// hangs. The fault is made in the child before it gives up root. It reports back through a pipe: the status's numbers, the file's name on a line,
// then what was shown.
child_end run_unprivileged(const std::function<void()>& make_fault, std::function<void()> during_read_back,
                           observed_run& observed)
{
    int channel[2];
    if (pipe(channel) != 0)
        return child_end::broke;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        alarm(60);
        if (make_fault)
            make_fault();
        if (!give_up_root())
            _exit(3);
        const observed_run run = run_here(std::move(during_read_back));
        const run_status& s = run.status;
        const std::string message = std::to_string(static_cast<int>(s.outcome)) + " " +
                                    std::to_string(static_cast<int>(s.failure)) + " " + std::to_string(s.order) + " " +
                                    std::to_string(s.error_number) + " " + s.file + "\n" + run.shown;
        _exit(write(channel[1], message.data(), message.size()) == static_cast<ssize_t>(message.size()) ? 0 : 4);
    }
    close(channel[1]);
    std::string message;
    char chunk[4096];
    for (ssize_t got; (got = read(channel[0], chunk, sizeof chunk)) > 0;)
        message.append(chunk, static_cast<std::size_t>(got));
    close(channel[0]);
    int wait_status = 0;
    if (child < 0 || waitpid(child, &wait_status, 0) != child || !WIFEXITED(wait_status))
        return child_end::broke;
    if (WEXITSTATUS(wait_status) != 0)
        return WEXITSTATUS(wait_status) == 3 ? child_end::cannot_give_up_root : child_end::broke;

    std::istringstream in(message);
    int outcome = 0, failure = 0;
    in >> outcome >> failure >> observed.status.order >> observed.status.error_number;
    in.get();
    std::getline(in, observed.status.file);
    observed.status.outcome = static_cast<run_outcome>(outcome);
    observed.status.failure = static_cast<run_failure>(failure);
    observed.shown = message.substr(static_cast<std::size_t>(in.tellg()));
    return child_end::ran;
}

void set_mode(const fs::path& path, fs::perms mode) { fs::permissions(path, mode, fs::perm_options::replace); }

constexpr fs::perms read_only = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms write_only = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
constexpr fs::perms read_write = read_only | write_only;
constexpr fs::perms directory_read_only = read_only | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

// The child gives up root, so the scratch directory must let others in.
void open_directory() { set_mode(".", fs::perms::all); }

void existing_file(const char* name, fs::perms mode)
{
    write_file(name, "left from before\n");
    set_mode(name, mode);
}

void fifo(const char* name)
{
    open_directory();
    mkfifo(name, 0666);
    set_mode(name, read_write);
}

struct fault_case {
    const char* name;
    bool in_child;                     // without root's power over permissions, killed should it hang
    std::function<void()> make_fault;  // in the scratch directory, before the run
    std::function<void()> during_read_back;
    run_failure failure;               // none: the run must complete as usual
    const char* file;
    const char* reason;                // the cause the English message gives; empty when none
    std::int32_t order;                // 0 when the run failed before it read the order
};

const fault_case fault_cases[] = {
    {"directory_read_only_and_empty", true, [] { set_mode(".", directory_read_only); }, nullptr,
     run_failure::file_not_writable, "mat.data", "Permission denied", 0},
    {"directory_read_only_with_read_only_files", true,
     [] {
         existing_file("mat.data", read_only);
         existing_file("mat.result", read_only);
         set_mode(".", directory_read_only);
     },
     nullptr, run_failure::file_not_writable, "mat.data", "Permission denied", 0},
    {"directory_read_only_with_both_files_writable", true,
     [] {
         existing_file("mat.data", read_write);
         existing_file("mat.result", read_write);
         set_mode(".", directory_read_only);
     },
     nullptr, run_failure::none, "", "", 2},
    {"report_file_read_only", true, [] { open_directory(), existing_file("mat.result", read_only); }, nullptr,
     run_failure::file_not_writable, "mat.result", "Permission denied", 0},
    {"data_file_write_only", true, [] { open_directory(), existing_file("mat.data", write_only); }, nullptr,
     run_failure::file_not_readable, "mat.data", "", 0},
    {"report_made_unreadable_before_read_back", true, open_directory, [] { set_mode("mat.result", write_only); },
     run_failure::file_not_readable, "mat.result", "Permission denied", 2},
    {"data_file_a_fifo", true, [] { fifo("mat.data"); }, nullptr, run_failure::file_not_writable, "mat.data",
     "No such device or address", 0},
    {"report_a_fifo", true, [] { fifo("mat.result"); }, nullptr, run_failure::file_not_writable, "mat.result",
     "No such device or address", 0},
    // A write that fails half way: the part of the report written so far must go.
    {"report_beyond_the_file_size_limit", true,
     [] {
         open_directory();
         std::signal(SIGXFSZ, SIG_IGN);
         const rlimit hundred_bytes{100, 100};
         setrlimit(RLIMIT_FSIZE, &hundred_bytes);
     },
     nullptr, run_failure::file_not_writable, "mat.result", "File too large", 2},
    {"report_a_directory", false, [] { fs::create_directory("mat.result"); }, nullptr, run_failure::file_not_writable,
     "mat.result", "Is a directory", 0},
    {"data_file_a_directory", false, [] { fs::create_directory("mat.data"); }, nullptr, run_failure::file_not_writable,
     "mat.data", "Is a directory", 0},
    {"report_a_link_to_a_full_disk", false, [] { fs::create_symlink("/dev/full", "mat.result"); }, nullptr,
     run_failure::file_not_writable, "mat.result", "No space left on device", 2},
    {"data_file_a_link_to_a_full_disk", false, [] { fs::create_symlink("/dev/full", "mat.data"); }, nullptr,
     run_failure::file_not_writable, "mat.data", "No space left on device", 0},
    {"report_a_link_into_a_missing_directory", false, [] { fs::create_symlink("missing/mat.result", "mat.result"); },
     nullptr, run_failure::file_not_writable, "mat.result", "No such file or directory", 0},
    {"data_file_a_link_into_a_missing_directory", false, [] { fs::create_symlink("missing/mat.data", "mat.data"); },
     nullptr, run_failure::file_not_writable, "mat.data", "No such file or directory", 0},
    {"report_a_link_to_a_sink", false, [] { fs::create_symlink("/dev/null", "mat.result"); }, nullptr,
     run_failure::file_not_readable, "mat.result", "", 2},
    {"data_file_a_link_to_a_sink", false, [] { fs::create_symlink("/dev/null", "mat.data"); }, nullptr,
     run_failure::file_not_readable, "mat.data", "", 0},
    {"data_file_a_link_to_an_endless_file", false, [] { fs::create_symlink("/dev/zero", "mat.data"); }, nullptr,
     run_failure::file_not_readable, "mat.data", "", 0},
    {"report_deleted_before_read_back", false, nullptr, [] { fs::remove("mat.result"); },
     run_failure::file_not_readable, "mat.result", "No such file or directory", 2},
    {"report_cut_short_before_read_back", false, nullptr, [] { fs::resize_file("mat.result", 20); },
     run_failure::file_not_readable, "mat.result", "", 2},
    {"report_grown_before_read_back", false, nullptr,
     [] { std::ofstream("mat.result", std::ios::binary | std::ios::app) << "one more line\r\n"; },
     run_failure::file_not_readable, "mat.result", "", 2},
    {"report_replaced_by_a_directory_before_read_back", false, nullptr,
     [] { fs::remove("mat.result"), fs::create_directory("mat.result"); }, run_failure::file_not_readable,
     "mat.result", "Is a directory", 2},
    {"report_replaced_by_an_endless_file_before_read_back", false, nullptr,
     [] { fs::remove("mat.result"), fs::create_symlink("/dev/zero", "mat.result"); }, run_failure::file_not_readable,
     "mat.result", "", 2},
};

void PrintTo(const fault_case& c, std::ostream* out) { *out << c.name; }

class file_fault : public in_scratch_directory, public ::testing::WithParamInterface<fault_case> {
protected:
    // Back to a directory in which a run can work: writable, and without the two files.
    void heal()
    {
        set_mode(directory, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
        for (const char* name : {"mat.data", "mat.result"})
            fs::remove_all(name);
    }
};

TEST_P(file_fault, gives_its_message_shows_nothing_and_the_next_run_works)
{
    const fault_case& c = GetParam();
    observed_run run;
    if (c.in_child) {
        const child_end end = run_unprivileged(c.make_fault, c.during_read_back, run);
        if (end == child_end::cannot_give_up_root)
            GTEST_SKIP() << "running as root, and root cannot be given up here, so permissions do not bind";
        ASSERT_EQ(end, child_end::ran) << "the run in the child process did not finish";
    } else {
        if (c.make_fault)
            c.make_fault();
        run = run_here(c.during_read_back);
    }

    EXPECT_EQ(run.status.failure, c.failure);
    EXPECT_EQ(run.status.order, c.order);
    if (c.failure == run_failure::none) {
        EXPECT_EQ(run.status.outcome, run_outcome::completed);
        EXPECT_EQ(run.shown, example().report);
        EXPECT_EQ(read_file("mat.result"), example().report);
        return;
    }
    EXPECT_EQ(run.status.outcome, run_outcome::failed);
    EXPECT_EQ(run.status.file, c.file);
    const std::string english = describe_failure_english(run.status);
    EXPECT_NE(english.find(std::string("\"") + c.file + "\""), std::string::npos) << english;
    EXPECT_NE(english.find(c.reason), std::string::npos) << english;
    EXPECT_EQ(run.status.error_number != 0, *c.reason != '\0') << english;
    EXPECT_NE(describe_failure_chinese_gbk(run.status).find(std::string("\"") + c.file + "\""), std::string::npos);
    EXPECT_EQ(run.shown, "(untouched)") << "nothing may be shown as the report";
    // Nothing of a report the run could not finish writing is left in "mat.result".
    if (c.failure == run_failure::file_not_writable && fs::is_regular_file("mat.result"))
        EXPECT_EQ(read_file("mat.result").find("\r\n"), std::string::npos);

    heal();
    const observed_run next = run_here(nullptr);
    EXPECT_EQ(next.status.outcome, run_outcome::completed);
    EXPECT_EQ(next.shown, example().report);
    EXPECT_EQ(read_file("mat.result"), example().report);
    EXPECT_EQ(read_file("mat.data"), "2\n" + example().data);
}

INSTANTIATE_TEST_SUITE_P(faults, file_fault, ::testing::ValuesIn(fault_cases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace torvane::testing
