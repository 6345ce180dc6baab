// What keeps a run from showing a report that is not its own or not whole: the checksum
// of what was written, the directory lock, and the console's check before it prints.

#include "console_seam.hpp"
#include "content_checksum.hpp"
#include "run_messages.hpp"
#include "test_support.hpp"

#include <cstdio>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace torvane::testing {
namespace {

std::uint64_t checksum_in_pieces(const std::string& text, std::size_t piece)
{
    content_checksum sum;
    for (std::size_t at = 0; at < text.size(); at += piece)
        sum.add(std::string_view(text).substr(at, piece));
    return sum.value();
}

TEST(content_checksum, is_the_same_however_the_text_is_cut_and_differs_for_any_change)
{
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += std::to_string(i * 7919 % 1013) + "  ";
    const std::uint64_t whole = checksum_in_pieces(text, text.size());
    for (const std::size_t piece : {1, 7, 31, 32, 33, 1000})
        EXPECT_EQ(checksum_in_pieces(text, piece), whole) << "pieces of " << piece;

    const struct {
        const char* name;
        std::string changed;
    } changes[] = {
        {"one byte", std::string(text).replace(500, 1, "x")},
        {"two words swapped", text.substr(32, 8) + text.substr(8, 24) + text.substr(0, 8) + text.substr(40)},
        {"a zero byte added", text + std::string(1, '\0')},
        {"the last byte dropped", text.substr(0, text.size() - 1)},
    };
    for (const auto& change : changes)
        EXPECT_NE(checksum_in_pieces(change.changed, 64), whole) << change.name;
}

class run_guards : public in_scratch_directory {};

TEST_F(run_guards, report_replaced_by_other_text_of_the_same_length_is_not_shown)
{
    before_report_read = [] {
        std::string text = read_file(report_file_name);
        text[text.size() / 2] = text[text.size() / 2] == '1' ? '2' : '1';
        write_file(report_file_name, text);
    };
    scripted_dialog dialog("2", "1 2\r\n3 4");
    const run_status status = compute_run(dialog);
    before_report_read = nullptr;
    EXPECT_EQ(status.failure, run_failure::file_not_readable);
    EXPECT_EQ(dialog.result, "(untouched)");
}

#ifndef _WIN32
// The console prints nothing of a report that fails its check, not even the part before
// the damage.
TEST_F(run_guards, console_prints_nothing_of_a_report_cut_short)
{
    before_report_read = [] { std::filesystem::resize_file(report_file_name, 100); };
    std::FILE* out = std::tmpfile();
    console_seam seam("2", "1 2 3 4", std::nullopt, out);
    const run_status status = compute_run(seam);
    before_report_read = nullptr;
    EXPECT_EQ(status.failure, run_failure::file_not_readable);
    EXPECT_EQ(std::ftell(out), 0);
    std::fclose(out);
}

// A run that finds the directory held past the limit gives up with a message naming it,
// without touching the files; once the directory is free, the next run works.
TEST_F(run_guards, directory_held_past_the_limit_ends_the_run_with_its_name)
{
    write_file(report_file_name, "another run's report");
    const int holder = open(".", O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    lock_wait_limit = std::chrono::milliseconds(100);
    scripted_dialog dialog("2", "1 2\r\n3 4");
    const run_status status = compute_run(dialog);
    lock_wait_limit = std::chrono::seconds(60);
    EXPECT_EQ(status.failure, run_failure::directory_busy);
    EXPECT_EQ(status.file, std::filesystem::current_path().string());
    EXPECT_NE(describe_failure_english(status).find("another run in this directory"), std::string::npos);
    EXPECT_EQ(read_file(report_file_name), "another run's report");

    close(holder);
    EXPECT_EQ(compute_run(dialog).outcome, run_outcome::completed);
    EXPECT_EQ(dialog.result, example_report());
}
#endif

} // namespace
} // namespace torvane::testing
