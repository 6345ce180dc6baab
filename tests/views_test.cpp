// torvane's views of the working, its matrix file argument and its note on where reading
// stopped, end to end through the shell.

#include "shell_run.hpp"

#include <algorithm>

namespace torvane::testing {
namespace {

class views : public in_scratch_directory {
protected:
    // `command` is a shell line in which "TORVANE" stands for the program.
    finished run(std::string command, const std::string& input = "")
    {
        write_file("stdin.txt", input);
        command.replace(command.find("TORVANE"), 7, std::string("'") + TORVANE_CONSOLE + "'");
        return run_shell(command, "stdin.txt");
    }
};

// The 3 x 3 example whose first pivot is repaired with the last row.
const std::string example_arguments = "--dimension 3 --data '0 1 2  0 3 4  5 6 8'";

// The run reads the order and stops there, as it does for an order too large for memory:
// no report, no page, and a page that was there before is left as it was.
TEST_F(views, page_too_large_is_refused_and_no_page_written)
{
    write_file("old.html", "an earlier page");
    for (const char* page : {"page.html", "old.html"}) {
        const finished f = run(std::string("TORVANE --html ") + page + " --dimension 121 --data 1");
        EXPECT_EQ(f.status, 2);
        EXPECT_NE(f.err.find("--html takes orders up to 120"), std::string::npos) << f.err;
        EXPECT_NE(f.err.find("use --raw"), std::string::npos) << f.err;
        EXPECT_EQ(read_file("mat.result"), "");
    }
    EXPECT_FALSE(std::filesystem::exists("page.html"));
    EXPECT_EQ(read_file("old.html"), "an earlier page");
}

// A browser runs a script whole before it does anything else: the page's data comes in
// scripts of a few hundred kilobytes, so that a large page never holds it up for long.
TEST_F(views, page_data_comes_in_small_scripts)
{
    std::string data;
    std::uint32_t state = 1;
    for (int i = 0; i < 60 * 60; ++i, state = state * 1664525u + 1013904223u)
        data += std::to_string(static_cast<int>(state >> 24) - 128) + " ";
    write_file("matrix.txt", "60\n" + data);
    ASSERT_EQ(run("TORVANE --html page.html matrix.txt").status, 0);
    const std::string page = read_file("page.html");
    ASSERT_GT(page.size(), std::size_t{2} << 20);
    std::size_t scripts = 0, largest = 0;
    for (std::size_t at = page.find("<script>"); at != std::string::npos; at = page.find("<script>", at + 1)) {
        const std::size_t end = page.find("</script>", at);
        ASSERT_NE(end, std::string::npos);
        ++scripts;
        largest = std::max(largest, end - at);
    }
    EXPECT_GT(scripts, page.size() >> 19);
    EXPECT_LT(largest, std::size_t{512} << 10);
}

struct colour_case {
    const char* name;
    std::string command;
    bool coloured;
};

// `script` gives the program a terminal as its standard output. NO_COLOR counts only when
// it holds a value; TERM=dumb is a terminal without colours.
const std::string on_terminal = "script -qec \"TORVANE --explain " + example_arguments + "\" /dev/null";
const colour_case colour_cases[] = {
    {"terminal", "unset NO_COLOR; TERM=xterm " + on_terminal, true},
    {"terminal_with_no_color", "NO_COLOR=1 TERM=xterm " + on_terminal, false},
    {"terminal_with_empty_no_color", "NO_COLOR= TERM=xterm " + on_terminal, true},
    {"dumb_terminal", "unset NO_COLOR; TERM=dumb " + on_terminal, false},
    {"pipe", "unset NO_COLOR; TORVANE --explain " + example_arguments + " | cat", false},
};

class explain_colour : public views, public ::testing::WithParamInterface<colour_case> {};

TEST_P(explain_colour, only_on_a_terminal_without_no_color)
{
    const finished f = run(GetParam().command);
    ASSERT_NE(f.out.find("step 4 (backward, pivot row 2)"), std::string::npos) << f.out << f.err;
    EXPECT_EQ(f.out.find("\x1b[") != std::string::npos, GetParam().coloured);
}

INSTANTIATE_TEST_SUITE_P(outputs, explain_colour, ::testing::ValuesIn(colour_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// The signs of the working are plain ASCII where the locale's character set is not UTF-8.
TEST_F(views, explain_signs_follow_the_locale_character_set)
{
    const finished ascii = run("LC_ALL=C TORVANE --explain " + example_arguments);
    EXPECT_NE(ascii.out.find("row 3 += -1 x row 1"), std::string::npos) << ascii.out;
    EXPECT_TRUE(std::ranges::all_of(ascii.out, [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        << ascii.out;
    const finished utf8 = run("LC_ALL=C.UTF-8 TORVANE --explain " + example_arguments);
    EXPECT_NE(utf8.out.find("row 3 += -1 \u00D7 row 1"), std::string::npos) << utf8.out;
}

struct matrix_file_case {
    const char* name;
    std::string file;       // the matrix file's bytes
    std::string arguments;  // the same matrix given with --dimension and --data
};

const matrix_file_case matrix_file_cases[] = {
    {"saved_data_file", "2\n1 2\r\n3 4", "--dimension 2 --data \"$(printf '1 2\\r\\n3 4')\""},
    {"saved_order_then_entry", "2 5\n1 2 3", "--dimension '2 5' --data '1 2 3'"},
    {"hand_written_on_one_line", "3 1 2 3 4 5 6 7 8 10\n", "--dimension 3 --data '1 2 3 4 5 6 7 8 10'"},
    {"hand_written_in_rows", "3\n1 2 3\n4 5 6\n7 8 10\n", "--dimension 3 --data '1 2 3 4 5 6 7 8 10'"},
};

class matrix_file : public views, public ::testing::WithParamInterface<matrix_file_case> {};

TEST_P(matrix_file, gives_the_report_of_the_same_texts)
{
    const finished expected = run("TORVANE --raw " + GetParam().arguments);
    ASSERT_EQ(expected.status, 0);
    write_file("matrix.txt", GetParam().file);
    EXPECT_EQ(run("TORVANE --raw matrix.txt").out, expected.out);
    EXPECT_EQ(run("TORVANE --raw -", GetParam().file).out, expected.out);
}

INSTANTIATE_TEST_SUITE_P(shapes, matrix_file, ::testing::ValuesIn(matrix_file_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(views, the_runs_own_data_file_is_refused)
{
    ASSERT_EQ(run("TORVANE --raw --dimension 2 --data '1 2 3 4'").status, 0);
    const finished f = run("TORVANE mat.data");
    EXPECT_EQ(f.status, 2);
    EXPECT_NE(f.err.find("copy it to another name"), std::string::npos) << f.err;
}

struct reading_note_case {
    const char* name;
    const char* arguments;  // "stdin.txt" is a file that holds `input`
    const char* note;       // the whole of standard error
    const char* input = "";
};

const reading_note_case reading_note_cases[] = {
    {"order_written_as_3x3", "--dimension 3x3 --data '2 0 0 0 2 0 0 0 2'",
     "torvane: reading stopped at 'x3' in the dimension text after 0 of 9 entries, so all 9 entries are 0\n"},
    {"commas", "--dimension 2 --data '1, 2, 3, 4'",
     "torvane: reading stopped at ', 2, 3, 4' in the data text (character 2) after 1 of 4 entries, so the other 3 "
     "entries repeat the last value read, 1\n"},
    {"too_few_entries", "--dimension 3 --data '1 2 3 4 5 6 7 8'",
     "torvane: reading stopped at the end of the data after 8 of 9 entries, so the other 1 entry repeats the last "
     "value read, 8\n"},
    {"all_entries_read", "--dimension 2 --data '1 2 3 4 and more'", ""},
    {"entry_too_large_for_a_float", "--dimension 2 --data '1 1e39 3 4'",
     "torvane: reading stopped at '1e39 3 4', too large for a float, in the data text (character 3) after 1 of 4 "
     "entries, so the other 3 entries repeat the last value read, 1\n"},
    {"matrix_file_by_line_and_column", "stdin.txt",
     "torvane: reading stopped at ', 4' on line 3, column 2 of 'stdin.txt' after 3 of 4 entries, so the other 1 entry "
     "repeats the last value read, 3\n",
     "2\r\n1 2\r\n3, 4\r\n"},
    {"matrix_file_with_a_byte_order_mark_counts_characters", "-",
     "torvane: reading stopped at '\xC3\x97 3' on line 2, column 5 of standard input after 2 of 4 entries, so the other "
     "2 entries repeat the last value read, 2\n",
     "\xEF\xBB\xBF" "2\n1 2 \xC3\x97 3"},
    {"matrix_file_cut_after_the_order", "stdin.txt",
     "torvane: reading stopped at 'x' on line 1, column 9 of 'stdin.txt' after 3 of 4 entries, so the other 1 entry "
     "repeats the last value read, 3\n",
     "2 1 2 3 x"},
    {"data_file_by_line_and_column", "--dimension 2 --data-file stdin.txt",
     "torvane: reading stopped at 'x' on line 2, column 3 of the data file 'stdin.txt' after 3 of 4 entries, so the "
     "other 1 entry repeats the last value read, 3\n",
     "1 2\r3 x"},
};

class reading_note : public views, public ::testing::WithParamInterface<reading_note_case> {};

TEST_P(reading_note, says_where_and_what_the_rest_are)
{
    const finished f = run(std::string("TORVANE --raw ") + GetParam().arguments, GetParam().input);
    EXPECT_EQ(f.status, 0);
    EXPECT_EQ(f.err, GetParam().note);
}

INSTANTIATE_TEST_SUITE_P(inputs, reading_note, ::testing::ValuesIn(reading_note_cases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace torvane::testing
