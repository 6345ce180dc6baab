// The system calls of platform/, each against the real file system in a scratch
// directory: which names and open files are one file, and the views' files, which are
// written whole or not at all and never left behind unwritten.

#include "file_identity.hpp"
#include "page_file.hpp"
#include "test_support.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace torvane::testing {
namespace {

class platform_files : public in_scratch_directory {
protected:
    void SetUp() override
    {
        in_scratch_directory::SetUp();
        write_file("a", "first");
        write_file("b", "second");
        std::filesystem::create_hard_link("a", "a-linked");
        std::filesystem::create_symlink("a", "a-named");
    }
    int open_read(const char* name) { return descriptors_.emplace_back(::open(name, O_RDONLY)); }
    void TearDown() override
    {
        for (const int descriptor : descriptors_)
            ::close(descriptor);
        in_scratch_directory::TearDown();
    }

private:
    std::vector<int> descriptors_;
};

TEST_F(platform_files, tell_one_file_under_two_names_from_two_files)
{
    struct case_row {
        const char *opened, *named;
        bool same;
    };
    for (const case_row& row : {case_row{"a", "a", true}, case_row{"a", "a-linked", true}, case_row{"a", "a-named", true},
                                case_row{"a", "b", false}, case_row{"a", "missing", false}}) {
        SCOPED_TRACE(std::string(row.opened) + " / " + row.named);
        EXPECT_EQ(same_file(row.opened, row.named), row.same);
        EXPECT_EQ(descriptor_is_named(open_read(row.opened), row.named), row.same);
        if (row.same)
            EXPECT_TRUE(same_open_file(open_read(row.opened), open_read(row.named)));
    }
    EXPECT_FALSE(same_open_file(open_read("a"), open_read("b")));
    EXPECT_TRUE(same_file_name("mat.data", "mat.data"));
    EXPECT_FALSE(same_file_name("mat.data", "MAT.DATA"));  // Linux names differ in case
}

TEST_F(platform_files, know_a_name_taken_by_another_file_and_a_stream_that_is_no_file)
{
    const int descriptor = open_read("a");
    EXPECT_TRUE(still_named(descriptor, "a"));
    std::filesystem::rename("b", "a");
    EXPECT_FALSE(still_named(descriptor, "a"));

    std::FILE* file = std::fopen("b-new", "w");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(stream_is_named(file, "b-new"));
    EXPECT_FALSE(stream_is_named(file, "a"));
    std::fclose(file);
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    std::FILE* pipe_stream = fdopen(pipe_ends[1], "w");
    EXPECT_FALSE(stream_is_named(pipe_stream, "a"));
    std::fclose(pipe_stream);
    ::close(pipe_ends[0]);
}

TEST_F(platform_files, a_page_file_is_replaced_whole_refused_as_a_run_file_and_taken_back_unwritten)
{
    {
        page_file page;
        ASSERT_EQ(page.open("a", {"b"}), page_file::opening::opened);
        EXPECT_TRUE(page.write("x"));
    }
    EXPECT_EQ(read_file("a"), "x") << "the page replaces what the file held, however long";
    EXPECT_EQ(read_file("a-linked"), "x");
    {
        page_file empty;
        ASSERT_EQ(empty.open("b", {}), page_file::opening::opened);
        EXPECT_TRUE(empty.write(""));
    }
    EXPECT_EQ(read_file("b"), "");
    {
        page_file page;
        EXPECT_EQ(page.open("a-linked", {"mat.data", "a"}), page_file::opening::refused);
    }
    EXPECT_EQ(read_file("a"), "x") << "a refused file is left as it was";
    {
        page_file page;
        ASSERT_EQ(page.open("new", {}), page_file::opening::opened);
        EXPECT_TRUE(std::filesystem::exists("new"));
    }
    EXPECT_FALSE(std::filesystem::exists("new")) << "a page this made and never wrote is taken back";
    page_file full;
    ASSERT_EQ(full.open("/dev/full", {}), page_file::opening::opened);
    EXPECT_FALSE(full.write("text"));
    EXPECT_EQ(full.error_number(), ENOSPC);
}

} // namespace
} // namespace torvane::testing
