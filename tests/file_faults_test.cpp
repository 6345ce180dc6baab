// Faults of the file system around "mat.data" and "mat.result", injected for real in a
// scratch directory: each must end the run with the failure that names the file, show no
// report, leave no half-written report behind, and the next run in a healthy directory
// must work. (A report that is a directory, and one deleted or cut short before it is
// read back, are in compute_run_test.cpp.)
//
// Permissions do not stop root, and the tests may run as root: the cases that rest on
// them run in a child process that first gives up root for the "nobody" account. So do
// the cases that once hung, so that a hang ends the child instead of the suite.

#include "run_messages.hpp"
#include "test_support.hpp"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace torvane::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* example_data = "1 2\r\n3 4";

// What one run gave: its status and what the result box shows afterwards.
struct observed_run {
    run_status status;
    std::string shown;
};

observed_run run_here(const std::string& dimension, std::function<void()> during_read_back)
{
    before_report_read = std::move(during_read_back);
    scripted_dialog dialog(dimension, example_data);
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

void put_field(std::string& out, const std::string& field)
{
    out += std::to_string(field.size()) + ':' + field;
}

bool take_field(std::string_view& in, std::string& field)
{
    const std::size_t colon = in.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::size_t size = std::stoul(std::string(in.substr(0, colon)));
    if (in.size() < colon + 1 + size)
        return false;
    field.assign(in.substr(colon + 1, size));
    in.remove_prefix(colon + 1 + size);
    return true;
}

enum class child_end { ran, cannot_give_up_root, broke };

// The same run in a child process without root's power over permissions, killed if it
// hangs. The scratch directory and everything in it stay where they are, so the parent
// checks the files.
child_end run_unprivileged(const std::string& dimension, std::function<void()> during_read_back,
                           observed_run& observed)
{
    int channel[2];
    if (pipe(channel) != 0)
        return child_end::broke;
    const pid_t child = fork();
    if (child < 0)
        return child_end::broke;
    if (child == 0) {
        close(channel[0]);
        alarm(60);  // a run that hangs ends as a failure of the test, not a stuck suite
        if (!give_up_root())
            _exit(3);
        const observed_run run = run_here(dimension, std::move(during_read_back));
        std::string message;
        put_field(message, std::to_string(static_cast<int>(run.status.outcome)));
        put_field(message, std::to_string(static_cast<int>(run.status.failure)));
        put_field(message, run.status.file);
        put_field(message, std::to_string(run.status.order));
        put_field(message, std::to_string(run.status.error_number));
        put_field(message, run.shown);
        const char* at = message.data();
        std::size_t left = message.size();
        while (left > 0) {
            const ssize_t sent = write(channel[1], at, left);
            if (sent <= 0)
                _exit(4);
            at += sent;
            left -= static_cast<std::size_t>(sent);
        }
        _exit(0);
    }
    close(channel[1]);
    std::string message;
    char chunk[4096];
    ssize_t got;
    while ((got = read(channel[0], chunk, sizeof chunk)) > 0)
        message.append(chunk, static_cast<std::size_t>(got));
    close(channel[0]);
    int wait_status = 0;
    waitpid(child, &wait_status, 0);
    if (WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 3)
        return child_end::cannot_give_up_root;
    if (!WIFEXITED(wait_status) || WEXITSTATUS(wait_status) != 0)
        return child_end::broke;

    std::string_view in = message;
    std::string outcome, failure, order, error_number;
    if (!take_field(in, outcome) || !take_field(in, failure) || !take_field(in, observed.status.file) ||
        !take_field(in, order) || !take_field(in, error_number) || !take_field(in, observed.shown))
        return child_end::broke;
    observed.status.outcome = static_cast<run_outcome>(std::stoi(outcome));
    observed.status.failure = static_cast<run_failure>(std::stoi(failure));
    observed.status.order = std::stoi(order);
    observed.status.error_number = std::stoi(error_number);
    return child_end::ran;
}

void set_mode(const fs::path& path, fs::perms mode) { fs::permissions(path, mode, fs::perm_options::replace); }

constexpr fs::perms read_only = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms write_only = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
constexpr fs::perms read_write = read_only | write_only;
constexpr fs::perms directory_read_only = read_only | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
constexpr fs::perms open_directory = fs::perms::all;

// An existing file with the given permissions, writable by the unprivileged child where
// the mode allows others to write.
void existing_file(const char* name, fs::perms mode)
{
    write_file(name, "left from before\n");
    set_mode(name, mode);
}

struct fault_case {
    const char* name;
    bool in_child;                    // run in a child without root's power over permissions,
                                      // and killed should it hang
    std::function<void()> make_fault; // in the scratch directory, before the run
    std::function<void()> during_read_back;
    run_failure failure;
    const char* file;
    const char* reason;  // what the English message gives as the cause; empty when none
    std::int32_t order;  // 0 when the run failed before it read the order
};

const fault_case fault_cases[] = {
    {"directory_read_only_and_empty", true, [] { set_mode(".", directory_read_only); }, nullptr,
     run_failure::file_not_writable, "mat.data", "", 0},
    {"directory_read_only_with_read_only_files", true,
     [] {
         existing_file("mat.data", read_only);
         existing_file("mat.result", read_only);
         set_mode(".", directory_read_only);
     },
     nullptr, run_failure::file_not_writable, "mat.data", "", 0},
    {"report_file_read_only", true,
     [] {
         set_mode(".", open_directory);
         existing_file("mat.result", read_only);
     },
     nullptr, run_failure::file_not_writable, "mat.result", "", 0},
    {"data_file_write_only", true,
     [] {
         set_mode(".", open_directory);
         existing_file("mat.data", write_only);
     },
     nullptr, run_failure::file_not_readable, "mat.data", "", 0},
    {"report_made_unreadable_before_read_back", true, [] { set_mode(".", open_directory); },
     [] { set_mode("mat.result", write_only); }, run_failure::file_not_readable, "mat.result", "Permission denied", 2},
    {"data_file_a_fifo", true,
     [] {
         set_mode(".", open_directory);
         ASSERT_EQ(mkfifo("mat.data", 0666), 0);
         set_mode("mat.data", read_write);
     },
     nullptr, run_failure::file_not_writable, "mat.data", "", 0},
    {"report_a_fifo", true,
     [] {
         set_mode(".", open_directory);
         ASSERT_EQ(mkfifo("mat.result", 0666), 0);
         set_mode("mat.result", read_write);
     },
     nullptr, run_failure::file_not_writable, "mat.result", "", 0},
    {"report_a_link_to_a_full_disk", false, [] { fs::create_symlink("/dev/full", "mat.result"); }, nullptr,
     run_failure::file_not_writable, "mat.result", "No space left on device", 2},
    {"data_file_a_link_to_a_full_disk", false, [] { fs::create_symlink("/dev/full", "mat.data"); }, nullptr,
     run_failure::file_not_writable, "mat.data", "No space left on device", 0},
    {"report_a_link_into_a_missing_directory", false, [] { fs::create_symlink("missing/mat.result", "mat.result"); },
     nullptr, run_failure::file_not_writable, "mat.result", "", 0},
    {"data_file_a_link_into_a_missing_directory", false, [] { fs::create_symlink("missing/mat.data", "mat.data"); },
     nullptr, run_failure::file_not_writable, "mat.data", "", 0},
    {"report_a_link_to_a_sink", false, [] { fs::create_symlink("/dev/null", "mat.result"); }, nullptr,
     run_failure::file_not_readable, "mat.result", "", 2},
    {"data_file_a_link_to_a_sink", false, [] { fs::create_symlink("/dev/null", "mat.data"); }, nullptr,
     run_failure::file_not_readable, "mat.data", "", 0},
    {"data_file_a_link_to_an_endless_file", false, [] { fs::create_symlink("/dev/zero", "mat.data"); }, nullptr,
     run_failure::file_not_readable, "mat.data", "", 0},
    {"report_replaced_by_a_directory_before_read_back", false, nullptr,
     [] {
         fs::remove("mat.result");
         fs::create_directory("mat.result");
     },
     run_failure::file_not_readable, "mat.result", "Is a directory", 2},
    {"report_grown_before_read_back", false, nullptr,
     [] {
         std::ofstream more("mat.result", std::ios::binary | std::ios::app);
         more << "one more line\r\n";
     },
     run_failure::file_not_readable, "mat.result", "", 2},
    {"report_replaced_by_an_endless_file_before_read_back", false, nullptr,
     [] {
         fs::remove("mat.result");
         fs::create_symlink("/dev/zero", "mat.result");
     },
     run_failure::file_not_readable, "mat.result", "", 2},
};

class file_fault : public in_scratch_directory, public ::testing::WithParamInterface<fault_case> {
protected:
    void TearDown() override
    {
        before_report_read = nullptr;
        in_scratch_directory::TearDown();
    }

    // Back to a directory in which a run can work: writable, and without the two files.
    void heal()
    {
        set_mode(directory, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
        for (const char* name : {"mat.data", "mat.result"}) {
            std::error_code ignored;
            if (fs::is_directory(fs::symlink_status(name)))
                fs::remove_all(name);
            else
                fs::remove(name, ignored);
        }
    }
};

TEST_P(file_fault, gives_its_message_shows_nothing_and_the_next_run_works)
{
    const fault_case& c = GetParam();
    if (c.make_fault)
        c.make_fault();

    observed_run run;
    if (c.in_child) {
        const child_end end = run_unprivileged("2", c.during_read_back, run);
        if (end == child_end::cannot_give_up_root)
            GTEST_SKIP() << "running as root, and root cannot be given up here, so permissions do not bind";
        ASSERT_EQ(end, child_end::ran) << "the run in the child process did not finish";
    } else {
        run = run_here("2", c.during_read_back);
    }

    EXPECT_EQ(run.status.outcome, run_outcome::failed);
    EXPECT_EQ(run.status.failure, c.failure);
    EXPECT_EQ(run.status.file, c.file);
    EXPECT_EQ(run.status.order, c.order);
    const std::string english = describe_failure_english(run.status);
    EXPECT_NE(english.find(std::string("\"") + c.file + "\""), std::string::npos) << english;
    EXPECT_NE(english.find(c.reason), std::string::npos) << english;
    EXPECT_NE(describe_failure_chinese_gbk(run.status).find(std::string("\"") + c.file + "\""), std::string::npos);
    EXPECT_EQ(run.shown, "(untouched)") << "nothing may be shown as the report";

    // Nothing of a report the run could not finish writing is left in "mat.result".
    if (c.failure == run_failure::file_not_writable && fs::is_regular_file("mat.result"))
        EXPECT_EQ(read_file("mat.result").find(step_header(1)), std::string::npos);

    heal();
    const observed_run next = run_here("2", nullptr);
    EXPECT_EQ(next.status.outcome, run_outcome::completed);
    EXPECT_EQ(next.shown, example_report());
    EXPECT_EQ(read_file("mat.result"), example_report());
    EXPECT_EQ(read_file("mat.data"), std::string("2\n") + example_data);
}

void PrintTo(const fault_case& c, std::ostream* out) { *out << c.name; }

INSTANTIATE_TEST_SUITE_P(faults, file_fault, ::testing::ValuesIn(fault_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// A write that fails anywhere in the report (here at a file-size limit, as a full disk
// would) stops the run with the report's name and empties it: in the first buffer, at a
// buffer's edge, while later buffers wait to be written, or in the last write at close.
class write_failure : public in_scratch_directory {};

TEST_F(write_failure, anywhere_in_the_report_stops_the_run_and_empties_it)
{
    const std::string order = "60";
    ASSERT_EQ(run_here(order, nullptr).status.outcome, run_outcome::completed);
    const std::uintmax_t size = fs::file_size("mat.result");
    ASSERT_GT(size, std::uintmax_t{4} << 20) << "the report must span several buffers";
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    for (const std::uintmax_t limit : {std::uintmax_t{1000}, std::uintmax_t{1} << 20, (std::uintmax_t{1} << 20) + 1,
                                       std::uintmax_t{5} << 19, size - 1}) {
        rlimit tight = old_limit;
        tight.rlim_cur = limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        const observed_run run = run_here(order, nullptr);
        setrlimit(RLIMIT_FSIZE, &old_limit);
        EXPECT_EQ(run.status.failure, run_failure::file_not_writable) << "limit " << limit;
        EXPECT_EQ(run.status.file, "mat.result") << "limit " << limit;
        EXPECT_EQ(run.status.error_number, EFBIG) << "limit " << limit;
        EXPECT_EQ(run.shown, "(untouched)") << "limit " << limit;
        EXPECT_EQ(fs::file_size("mat.result"), 0u) << "limit " << limit;
    }
    std::signal(SIGXFSZ, old_handler);
}

// A read-only directory stops new files, not the rewriting of files already there: with
// both files present and writable the run goes through.
class read_only_directory : public in_scratch_directory {};

TEST_F(read_only_directory, with_both_files_present_and_writable_still_runs)
{
    existing_file("mat.data", read_write);
    existing_file("mat.result", read_write);
    set_mode(".", directory_read_only);
    observed_run run;
    const child_end end = run_unprivileged("2", nullptr, run);
    if (end == child_end::cannot_give_up_root)
        GTEST_SKIP() << "running as root, and root cannot be given up here";
    ASSERT_EQ(end, child_end::ran);
    EXPECT_EQ(run.status.outcome, run_outcome::completed);
    EXPECT_EQ(run.shown, example_report());
    EXPECT_EQ(read_file("mat.result"), example_report());
}

} // namespace
} // namespace torvane::testing
