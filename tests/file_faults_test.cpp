// Faults of the file system around "mat.data" and "mat.result", made for real in a scratch
// directory, one row of the table each: the run must end with the failure that names the
// file and its reason, show nothing, leave no half-written report, and the next run in a
// healthy directory must work. (A row whose failure is `none` must run as usual.)
// Permissions do not stop root, and the tests may run as root: the rows that rest on them
// run in a child process that gives up root for "nobody"; so do the rows that once hung.

#include "run_messages.hpp"
#include "test_support.hpp"

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <csignal>
#include <cstdio>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace torvane::testing {
namespace {

namespace fs = std::filesystem;

// One run of the example in the current directory, with `during_read_back` as the hook
// between writing the report and reading it back.
scripted_dialog run_here(std::function<void()> during_read_back, run_status& status)
{
    run_options options;
    options.before_report_read = std::move(during_read_back);
    scripted_dialog dialog(example().dimension, example().data);
    status = compute_run(dialog, options);
    return dialog;
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

void set_mode(const fs::path& path, fs::perms mode) { fs::permissions(path, mode, fs::perm_options::replace); }

constexpr fs::perms read_only = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms write_only = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
constexpr fs::perms read_write = read_only | write_only;
constexpr fs::perms directory_read_only =
    read_only | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;

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

struct file_fault_case {
    const char* name;
    bool in_child;                     // without root's power over permissions, killed should it hang
    std::function<void()> make_fault;  // in the scratch directory, before the run
    std::function<void()> during_read_back;
    run_failure failure;               // none: the run must complete as usual
    const char* file;
    const char* reason;                // the cause the English message gives; empty when none
    std::int32_t order;                // 0 when the run failed before it read the order
};

using enum run_failure;

// A read-only directory that already holds both files, with these permissions.
void read_only_directory_with_files(fs::perms files)
{
    existing_file("mat.data", files);
    existing_file("mat.result", files);
    set_mode(".", directory_read_only);
}

// Writes beyond 100 bytes fail (EFBIG): the report fails half way.
void file_size_limit()
{
    open_directory();
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit hundred_bytes{100, 100};
    setrlimit(RLIMIT_FSIZE, &hundred_bytes);
}

auto symlink_to(const char* target, const char* name) { return [=] { fs::create_symlink(target, name); }; }
auto directory_as(const char* name) { return [=] { fs::create_directory(name); }; }

const file_fault_case file_fault_cases[] = {
    {"directory_read_only_and_empty", true, [] { set_mode(".", directory_read_only); }, nullptr, file_not_writable,
     "mat.data", "Permission denied", 0},
    {"directory_read_only_with_read_only_files", true, [] { read_only_directory_with_files(read_only); }, nullptr,
     file_not_writable, "mat.data", "Permission denied", 0},
    {"directory_read_only_with_both_files_writable", true, [] { read_only_directory_with_files(read_write); }, nullptr,
     none, "", "", 2},
    {"report_file_read_only", true, [] { open_directory(), existing_file("mat.result", read_only); }, nullptr,
     file_not_writable, "mat.result", "Permission denied", 0},
    {"data_file_write_only", true, [] { open_directory(), existing_file("mat.data", write_only); }, nullptr,
     file_not_readable, "mat.data", "Permission denied", 0},
    {"report_made_unreadable_before_read_back", true, open_directory, [] { set_mode("mat.result", write_only); },
     file_not_readable, "mat.result", "Permission denied", 2},
    {"data_file_a_fifo", true, [] { fifo("mat.data"); }, nullptr, file_not_writable, "mat.data", "it is not a regular file but a named pipe or a device", 0},
    {"report_a_fifo", true, [] { fifo("mat.result"); }, nullptr, file_not_writable, "mat.result", "it is not a regular file but a named pipe or a device", 0},
    {"report_beyond_the_file_size_limit", true, file_size_limit, nullptr, file_not_writable, "mat.result",
     "File too large", 2},
    {"report_a_directory", false, directory_as("mat.result"), nullptr, file_not_writable, "mat.result",
     "Is a directory", 0},
    {"data_file_a_directory", false, directory_as("mat.data"), nullptr, file_not_writable, "mat.data", "Is a directory",
     0},
    {"report_a_link_to_a_full_disk", false, symlink_to("/dev/full", "mat.result"), nullptr, file_not_writable,
     "mat.result",
     "No space left on device", 2},
    {"data_file_a_link_to_a_full_disk", false, symlink_to("/dev/full", "mat.data"), nullptr, file_not_writable,
     "mat.data",
     "No space left on device", 0},
    {"report_a_link_into_a_missing_directory", false, symlink_to("missing/mat.result", "mat.result"), nullptr,
     file_not_writable, "mat.result", "No such file or directory", 0},
    {"data_file_a_link_into_a_missing_directory", false, symlink_to("missing/mat.data", "mat.data"), nullptr,
     file_not_writable, "mat.data", "No such file or directory", 0},
    {"report_a_link_to_a_sink", false, symlink_to("/dev/null", "mat.result"), nullptr, file_not_readable, "mat.result",
     "it is not a regular file but a named pipe or a device", 2},
    {"data_file_a_link_to_a_sink", false, symlink_to("/dev/null", "mat.data"), nullptr, file_not_readable,
     "mat.data", "it is not a regular file but a named pipe or a device", 0},
    {"data_file_a_link_to_an_endless_file", false, symlink_to("/dev/zero", "mat.data"), nullptr, file_not_readable,
     "mat.data", "it is not a regular file but a named pipe or a device", 0},
    {"report_deleted_before_read_back", false, nullptr, [] { fs::remove("mat.result"); }, file_not_readable,
     "mat.result", "No such file or directory", 2},
    {"report_cut_short_before_read_back", false, nullptr, [] { fs::resize_file("mat.result", 20); },
     file_not_readable, "mat.result", "", 2},
    {"report_grown_before_read_back", false, nullptr,
     [] { std::ofstream("mat.result", std::ios::binary | std::ios::app) << "one more line\r\n"; }, file_not_readable,
     "mat.result", "", 2},
    {"report_replaced_by_a_directory_before_read_back", false, nullptr,
     [] { fs::remove("mat.result"), fs::create_directory("mat.result"); }, file_not_readable, "mat.result",
     "Is a directory", 2},
    {"report_replaced_by_an_endless_file_before_read_back", false, nullptr,
     [] { fs::remove("mat.result"), fs::create_symlink("/dev/zero", "mat.result"); }, file_not_readable, "mat.result",
     "it is not a regular file but a named pipe or a device", 2},
};

void PrintTo(const file_fault_case& c, std::ostream* out) { *out << c.name; }

class file_fault : public in_scratch_directory, public ::testing::WithParamInterface<file_fault_case> {
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

// What of the row's expectations a run did not meet, one line each; empty when it met all.
std::string unmet(const file_fault_case& c, const run_status& status, const std::string& shown)
{
    std::ostringstream out;
    if (status.failure != c.failure || status.order != c.order)
        out << "failure " << static_cast<int>(status.failure) << " at order " << status.order << "\n";
    if (c.failure == run_failure::none)
        return status.outcome == run_outcome::completed && shown == example().report ? out.str() : "no report\n";
    const std::string english = describe_failure_english(status), file = std::string("\"") + c.file + "\"";
    if (status.outcome != run_outcome::failed || status.file != c.file || english.find(file) == std::string::npos ||
        english.find(c.reason) == std::string::npos || (status.error_number != 0) != (*c.reason != '\0'))
        out << "message: " << english << " (a system reason where, and only where, there is one)\n";
    if (describe_failure_chinese_gbk(status).find(file) == std::string::npos)
        out << "the Chinese message does not name the file\n";
    if (shown != "(untouched)")
        out << "a report was shown\n";
    return out.str();
}

// Nothing of a report the run could not finish writing is left in "mat.result".
std::string report_left_unfinished(const file_fault_case& c)
{
    if (c.failure == run_failure::file_not_writable && fs::is_regular_file("mat.result") &&
        read_file("mat.result").find("\r\n") != std::string::npos)
        return "a report was left in mat.result\n";
    return {};
}

// In a child process: makes the fault, gives up root and runs; what it found unmet goes
// to standard error, and the exit status says whether there was any (3: root could not
// be given up, so permissions would not bind).
[[noreturn]] void run_in_child(const file_fault_case& c)
{
    alarm(60);
    if (c.make_fault)
        c.make_fault();
    if (!give_up_root())
        _exit(3);
    run_status status;
    const std::string found = unmet(c, status, run_here(c.during_read_back, status).result) + report_left_unfinished(c);
    std::fputs(found.c_str(), stderr);
    _exit(found.empty() ? 0 : 1);
}

// A child that could not give up root (no "nobody" to become) ran nothing: that is let
// pass here, said on standard error, but not where CI runs, which must run every case.
bool finished_or_could_not_give_up_root(int status)
{
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
        std::fputs("SKIPPED: the case could not give up root here\n", stderr);
        return std::getenv("CI") == nullptr;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The rows that rest on permissions run in a child process that makes the fault, gives up
// root and runs, killed should it hang. The child is this program started afresh (gtest's
// "threadsafe" death-test style): it gives up root before anything else runs in it.
TEST_P(file_fault, gives_its_message_shows_nothing_and_the_next_run_works)
{
    const file_fault_case& c = GetParam();
    example();  // read here: the child that gave up root may not read the source tree
    run_status status;
    if (!c.in_child) {
        if (c.make_fault)
            c.make_fault();
        EXPECT_EQ(unmet(c, status, run_here(c.during_read_back, status).result), "");
        EXPECT_EQ(report_left_unfinished(c), "");
    } else {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        setenv(scratch_parent_variable, directory.c_str(), 1);
        EXPECT_EXIT(run_in_child(c), finished_or_could_not_give_up_root, "^$");
        unsetenv(scratch_parent_variable);
    }

    heal();
    EXPECT_EQ(run_here(nullptr, status).result, example().report);
    EXPECT_EQ(read_file("mat.result"), example().report);
    EXPECT_EQ(read_file("mat.data"), "2\n" + example().data);
}

INSTANTIATE_TEST_SUITE_P(faults, file_fault, ::testing::ValuesIn(file_fault_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// The system's own failure of a write behind the run (here at a file-size limit, as a full
// disk would), past the first buffer and while later buffers wait, stops the run with the
// report's name and empties it. Every other place a write can fail is tried with a file
// system that fails on purpose (write_faults_test.cpp).
class write_failure : public in_scratch_directory {};

TEST_F(write_failure, anywhere_in_the_report_stops_the_run_and_empties_it)
{
    scripted_dialog dialog("60", "1 2 3 4 5 6 7");
    ASSERT_EQ(compute_run(dialog).outcome, run_outcome::completed);
    const std::uintmax_t size = fs::file_size("mat.result");
    ASSERT_GT(size, std::uintmax_t{4} << 20) << "the report must span several buffers";
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    for (const std::uintmax_t limit : {(std::uintmax_t{1} << 20) + 1, std::uintmax_t{5} << 19}) {
        rlimit tight = old_limit;
        tight.rlim_cur = limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        scripted_dialog limited("60", "1 2 3 4 5 6 7");
        const run_status status = compute_run(limited);
        setrlimit(RLIMIT_FSIZE, &old_limit);
        EXPECT_EQ(status.file, "mat.result") << "limit " << limit;
        EXPECT_EQ(status.error_number, EFBIG) << "limit " << limit;
        EXPECT_EQ(limited.result, "(untouched)") << "limit " << limit;
        EXPECT_EQ(fs::file_size("mat.result"), 0u) << "limit " << limit;
    }
    std::signal(SIGXFSZ, old_handler);
}

} // namespace
} // namespace torvane::testing
