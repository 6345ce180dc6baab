// What keeps a run from showing a report that is not its own or not whole: the checksum
// of what was written, the directory lock, and the console's check before it prints.

#include "console_seam.hpp"
#include "content_checksum.hpp"
#include "data_read_back.hpp"
#include "output_file.hpp"
#include "run_messages.hpp"
#include "test_support.hpp"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace torvane::testing {
namespace {

const hash_key some_key = {1, 2, 3, 4};

std::uint64_t checksum_in_pieces(const std::string& text, std::size_t piece, const hash_key& key = some_key)
{
    content_checksum sum(key);
    for (std::size_t at = 0; at < text.size(); at += piece)
        sum.add(std::string_view(text).substr(at, piece));
    return sum.value();
}

// Pieces summed apart, as two threads read them back, each saying where it lies, and
// joined in order.
std::uint64_t checksum_of_joined_pieces(const std::string& text, std::size_t piece)
{
    content_checksum sum(some_key);
    for (std::size_t at = 0; at < text.size(); at += piece) {
        content_checksum part(some_key, at);
        part.add(std::string_view(text).substr(at, piece));
        sum.append(part);
    }
    return sum.value();
}

// Adds `by` to the byte at `at`.
std::string nudged(std::string text, std::size_t at, int by)
{
    return text.replace(at, 1, 1, static_cast<char>(text.at(at) + by));
}

TEST(content_checksum, is_the_same_however_the_text_is_cut_and_differs_for_any_change)
{
    std::string text;
    for (int i = 0; text.size() < 5 * content_checksum::block_size + 1234; ++i)
        text += std::to_string(i * 7919 % 1013) + "  ";
    const std::size_t block = content_checksum::block_size;
    const std::uint64_t whole = checksum_in_pieces(text, text.size());
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{32}, block - 1, block, block + 1})
        EXPECT_EQ(checksum_in_pieces(text, piece), whole) << "pieces of " << piece;
    for (const std::size_t piece : {block, 2 * block, 4 * block})
        EXPECT_EQ(checksum_of_joined_pieces(text, piece), whole) << "joined pieces of " << piece;

    const struct {
        const char* name;
        std::string changed;
    } changes[] = {
        {"one byte", std::string(text).replace(500, 1, "x")},
        {"two words swapped", text.substr(32, 8) + text.substr(8, 24) + text.substr(0, 8) + text.substr(40)},
        {"two blocks swapped", text.substr(block, block) + text.substr(0, block) + text.substr(2 * block)},
        // +1, -2, +1 a word apart: what a weighted sum of words does not see.
        {"nudged +1 -2 +1", nudged(nudged(nudged(text, 100, 1), 132, -2), 164, 1)},
        {"a zero byte added", text + std::string(1, '\0')},
        {"the last byte dropped", text.substr(0, text.size() - 1)},
    };
    for (const auto& change : changes)
        EXPECT_NE(checksum_in_pieces(change.changed, 64), whole) << change.name;
}

// Keyed: another key gives another checksum of the same text, and each stream opened
// draws a key of its own, so no one can work out a change the check misses.
TEST(content_checksum, depends_on_a_key_drawn_afresh_for_each_stream)
{
    const std::string text(3 * content_checksum::block_size, 'x');
    EXPECT_NE(checksum_in_pieces(text, 64, {1, 2, 3, 5}), checksum_in_pieces(text, 64, some_key));
    EXPECT_NE(fresh_hash_key(), fresh_hash_key());
}

class run_guards : public in_scratch_directory {};

TEST_F(run_guards, report_replaced_by_other_text_of_the_same_length_is_not_shown)
{
    run_options options;
    options.before_report_read = [] {
        std::string text = read_file(report_file_name);
        text[text.size() / 2] = text[text.size() / 2] == '1' ? '2' : '1';
        write_file(report_file_name, text);
    };
    scripted_dialog dialog("2", "1 2\r\n3 4");
    const run_status status = compute_run(dialog, options);
    EXPECT_EQ(status.failure, run_failure::file_not_readable);
    EXPECT_EQ(dialog.result, "(untouched)");
}

// "mat.data" is read back only as it was written: another program's change, or a run
// in another directory writing the same file through a link, ends the run instead of
// inverting another matrix. The bytes on disk are changed here as such a writer would.
TEST_F(run_guards, data_file_read_back_is_the_text_written_or_nothing)
{
    output_file written;
    ASSERT_TRUE(written.open("mat.data"));
    const std::string text = "3\n1 2 3\r\n4 5 6\n7 8 10";
    written.write(text);
    written.close();
    const written_report expected{written.bytes_written(), written.checksum(), written.checksum_key()};
    const std::string on_disk = read_file("mat.data");

    const struct {
        const char* name;
        std::string bytes;  // empty: the file is deleted
        bool same;
    } cases[] = {
        {"as written", on_disk, true},
        {"one digit changed", std::string(on_disk).replace(2, 1, "9"), false},
        {"another matrix of the same length", std::string(on_disk).replace(0, 1, "2"), false},
        {"cut short", on_disk.substr(0, on_disk.size() - 1), false},
        {"grown", on_disk + " ", false},
        {"deleted", "", false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove("mat.data");
        if (!c.bytes.empty())
            write_file("mat.data", c.bytes);
        std::string read;
        int error = 0;
        EXPECT_EQ(read_back_data(system_files(), "mat.data", expected, read, error), c.same) << c.name;
        if (c.same)
            EXPECT_EQ(read, on_disk);
    }
}

// Text well past the stream's buffers, which are written behind the run on a thread of
// their own, reaches the file byte for byte and in order, in pieces of any size, written,
// formatted in place or lent, with the checksum of what was written.
TEST_F(run_guards, output_file_keeps_every_byte_in_order_past_its_buffers)
{
    std::string text;
    for (int i = 0; text.size() < (std::size_t{5} << 20) + 12345; ++i)
        text += std::to_string(i) + (i % 17 == 0 ? "\r\n" : "  ");
    hash_key last_key{};
    for (const std::size_t piece : {std::size_t{1}, std::size_t{4099}, std::size_t{1} << 20, (std::size_t{3} << 20) + 5}) {
        output_file file;
        ASSERT_TRUE(file.open("out.txt"));
        std::uint64_t lent_before = 0;
        for (std::size_t at = 0, turn = 0; at < text.size(); at += piece, ++turn) {
            const std::string_view bytes = std::string_view(text).substr(at, piece);
            if (turn % 3 == 0) {
                file.write(bytes);
            } else if (turn % 3 == 1) {
                char* out = file.reserve(bytes.size());
                std::memcpy(out, bytes.data(), bytes.size());
                file.commit(out + bytes.size());
            } else {
                file.lend(bytes);  // `text` outlives the stream
                if (turn % 3000 == 2) {  // now and then, as a run does after each step
                    file.wait_until_written(lent_before);
                    lent_before = file.send_lent();
                }
            }
        }
        file.close();
        EXPECT_EQ(file.bytes_written(), text.size()) << "pieces of " << piece;
        content_checksum whole(file.checksum_key());
        whole.add(text);
        EXPECT_EQ(file.checksum(), whole.value()) << "pieces of " << piece;
        EXPECT_NE(file.checksum_key(), last_key) << "the key of the stream before";
        last_key = file.checksum_key();
        EXPECT_TRUE(read_file("out.txt") == on_disk(text)) << "pieces of " << piece;
    }
    output_file one_byte;  // the last, smallest block is written too
    ASSERT_TRUE(one_byte.open("one.txt"));
    one_byte.write("x");
    one_byte.close();
    EXPECT_EQ(read_file("one.txt"), "x");
}

// A stream's error state, as a standard stream's: any kind of write to it while it is not
// open sets it, and the writes after it is opened are dropped until clear().
TEST_F(run_guards, output_file_drops_writes_after_a_write_to_it_closed_until_cleared)
{
    const std::function<void(output_file&)> kinds[] = {
        [](output_file& file) { file.write("a"); },
        [](output_file& file) { file.commit(file.reserve(1)); },
        [](output_file& file) { file.lend("a"); },
    };
    for (const auto& write_closed : kinds) {
        output_file file;
        write_closed(file);
        ASSERT_TRUE(file.open("out.txt"));
        file.write("dropped");
        file.clear();
        file.write("kept");
        file.close();
        EXPECT_EQ(read_file("out.txt"), "kept");
    }
}

#ifndef _WIN32
// The console prints nothing of a report that fails its check, not even the part before
// the damage.
TEST_F(run_guards, console_prints_nothing_of_a_report_cut_short)
{
    run_options options;
    options.before_report_read = [] { std::filesystem::resize_file(report_file_name, 100); };
    std::FILE* out = std::tmpfile();
    console_seam seam("2", "1 2 3 4", std::nullopt, out);
    const run_status status = compute_run(seam, options);
    EXPECT_EQ(status.failure, run_failure::file_not_readable);
    EXPECT_EQ(std::ftell(out), 0);
    std::fclose(out);
}

// Standard output as a file, or as a pipe, with text of its own already buffered: the
// report follows that text byte for byte, however the system hands it over.
TEST_F(run_guards, console_output_to_a_file_or_a_pipe_is_the_report_after_what_was_there)
{
    scripted_dialog dialog("30", "1 2 3 4 5 6 7");
    ASSERT_EQ(compute_run(dialog).outcome, run_outcome::completed);
    const std::string expected = "before\n" + dialog.result;
    ASSERT_GT(expected.size(), std::size_t{1} << 18) << "more than a pipe holds at once";

    for (const bool to_pipe : {false, true}) {
        std::FILE* out = nullptr;
        int ends[2] = {-1, -1};
        std::string printed;
        std::thread drain;
        if (to_pipe) {
            ASSERT_EQ(pipe(ends), 0);
            out = fdopen(ends[1], "w");
            drain = std::thread([&printed, source = ends[0]] {
                char chunk[65536];
                ssize_t got;
                while ((got = ::read(source, chunk, sizeof chunk)) > 0)
                    printed.append(chunk, static_cast<std::size_t>(got));
            });
        } else {
            out = std::tmpfile();
        }
        std::fputs("before\n", out);
        console_seam seam("30", "1 2 3 4 5 6 7", std::nullopt, out);
        EXPECT_EQ(compute_run(seam).outcome, run_outcome::completed);
        EXPECT_FALSE(seam.output_failed());
        if (to_pipe) {
            std::fclose(out);
            drain.join();
            close(ends[0]);
        } else {
            std::rewind(out);
            char chunk[65536];
            std::size_t got;
            while ((got = std::fread(chunk, 1, sizeof chunk, out)) > 0)
                printed.append(chunk, got);
            std::fclose(out);
        }
        EXPECT_TRUE(printed == expected) << (to_pipe ? "pipe" : "file") << ": " << printed.size() << " bytes";
    }
}

// A run that finds the directory held past the limit gives up with a message naming it,
// without touching the files; once the directory is free, the next run works.
TEST_F(run_guards, directory_held_past_the_limit_ends_the_run_with_its_name)
{
    write_file(report_file_name, "another run's report");
    const int holder = open(".", O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    run_options options;
    options.lock_wait_limit = std::chrono::seconds(1);
    scripted_dialog dialog("2", "1 2\r\n3 4");
    const run_status status = compute_run(dialog, options);
    EXPECT_EQ(status.failure, run_failure::directory_busy);
    EXPECT_EQ(status.file, std::filesystem::current_path().string());
    EXPECT_NE(describe_failure_english(status).find("went on for more than 1 s"), std::string::npos)
        << describe_failure_english(status);
    EXPECT_EQ(read_file(report_file_name), "another run's report");

    close(holder);
    EXPECT_EQ(compute_run(dialog).outcome, run_outcome::completed);
    EXPECT_EQ(dialog.result, example().report);
}
#endif

} // namespace
} // namespace torvane::testing
