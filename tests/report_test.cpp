// Whole reports, byte for byte, for the worked examples and the cases around them.

#include "content_checksum.hpp"
#include "entry_text_cache.hpp"
#include "output_file.hpp"
#include "report.hpp"
#include "test_support.hpp"

#include <cstring>

namespace torvane::testing {
namespace {

class report : public in_scratch_directory {};

std::string step(int number, std::initializer_list<std::string_view> rows)
{
    std::string text = step_header(number) + "\r\n";
    text += crlf_lines(rows);
    return text + "\r\n";
}

TEST_F(report, two_by_two_example_has_its_sixteen_lines)
{
    // example_report() spells the sixteen lines out one by one.
    EXPECT_EQ(report_of("2", "1 2\r\n3 4"), example_report());
}

TEST_F(report, order_one_writes_no_step_block)
{
    EXPECT_EQ(report_of("1", "4"), report_tail(1, {"0.25  "}));
    // 0 / 0 is NaN on the diagonal and 1 / 0 the infinity shown as the inverse.
    EXPECT_EQ(report_of("1", "0"), report_tail(1, {"inf  "}));
    EXPECT_EQ(report_of("1", "-8"), report_tail(1, {"-0.125  "}));
}

TEST_F(report, zero_pivot_is_repaired_by_adding_the_last_row)
{
    const std::string expected = step(1, {"1  1   | 1  1  ", "0  -1   | -1  0  "}) +
                                 step(2, {"1  0   | 0  1  ", "0  -1   | -1  0  "}) +
                                 report_tail(2, {"0  1  ", "1  0  "});
    EXPECT_EQ(report_of("2", "0 1\n1 0"), expected);
}

TEST_F(report, identity_of_order_three_shows_four_identical_steps)
{
    const std::initializer_list<std::string_view> identity = {"1  0  0   | 1  0  0  ", "0  1  0   | 0  1  0  ", "0  0  1   | 0  0  1  "};
    std::string expected;
    for (int number = 1; number <= 4; ++number)
        expected += step(number, identity);
    expected += report_tail(3, {"1  0  0  ", "0  1  0  ", "0  0  1  "});
    EXPECT_EQ(report_of("3", "1 0 0 0 1 0 0 0 1"), expected);
}

TEST_F(report, step_numbers_pass_nine_without_padding)
{
    std::string data;
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c)
            data += r == c ? "2 " : "0 ";
    const std::string text = report_of("6", data);
    EXPECT_NE(text.find("\r\n" + step_header(10) + "\r\n"), std::string::npos);
    EXPECT_EQ(text.find(step_header(11)), std::string::npos);
    EXPECT_NE(text.find("\r\n0.5  0  0  0  0  0  \r\n"), std::string::npos);
}

TEST_F(report, values_use_six_significant_digits_and_short_exponents)
{
    // Diagonal entries stand in the report unchanged, so they show the number format.
    const std::string text = report_of("3", "3 0 0 0 1234567 0 0 0 0.0001");
    EXPECT_NE(text.find("\r\n3  0  0   | 1  0  0  \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n0  1.23457e+06  0   | 0  1  0  \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n0  0  0.0001   | 0  0  1  \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n0.333333  0  0  \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n0  0  0  \r\n"), std::string::npos);  // 1 / 1234567 is tiny: normalised to 0
    EXPECT_NE(text.find("\r\n0  0  10000  \r\n"), std::string::npos);
}

TEST_F(report, same_bytes_with_and_without_the_entry_text_cache)
{
    // Singular and badly scaled input too, so infinities, NaNs and cleaned entries pass
    // through both ways of writing a step block.
    for (const char* data : {"4 -2 7 1  0 3 -5 2  8 1 1 -9  3 3 0 6", "1 2 3 4  2 4 6 8  0 0 1e-7 1  5 5 5 5",
                             "1e30 1 0 0  1 1e-30 0 0  0 0 1 1  0 0 1 1.0000001"}) {
        const std::string cached = report_of("4", data);
        set_step_text_budget(0);
        const std::string uncached = report_of("4", data);
        set_step_text_budget(entry_text_cache::default_budget);
        EXPECT_EQ(uncached, cached) << data;
    }
}

TEST_F(report, singular_matrix_shows_infinities_and_nans)
{
    const std::string text = report_of("2", "1 2 2 4");
    EXPECT_NE(text.find("inf"), std::string::npos);
    EXPECT_NE(text.find("nan"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 26), "########################\r\n");
}

// Text well past the stream's buffers, which are written behind the run on a thread of
// their own, reaches the file byte for byte and in order, in pieces of any size, with the
// checksum of what was written.
TEST_F(report, output_file_keeps_every_byte_in_order_past_its_buffers)
{
    std::string text;
    for (int i = 0; text.size() < (std::size_t{5} << 20) + 12345; ++i)
        text += std::to_string(i) + (i % 17 == 0 ? "\r\n" : "  ");
    content_checksum whole;
    whole.add(text);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{4099}, std::size_t{1} << 20, (std::size_t{3} << 20) + 5}) {
        output_file file;
        ASSERT_TRUE(file.open("out.txt"));
        bool by_reserve = false;
        for (std::size_t at = 0; at < text.size(); at += piece, by_reserve = !by_reserve) {
            const std::string_view bytes = std::string_view(text).substr(at, piece);
            if (!by_reserve) {
                file.write(bytes);
                continue;
            }
            char* out = file.reserve(bytes.size());
            std::memcpy(out, bytes.data(), bytes.size());
            file.commit(out + bytes.size());
        }
        file.close();
        EXPECT_EQ(file.bytes_written(), text.size()) << "pieces of " << piece;
        EXPECT_EQ(file.checksum(), whole.value()) << "pieces of " << piece;
        EXPECT_TRUE(read_file("out.txt") == on_disk(text)) << "pieces of " << piece;
    }
}

} // namespace
} // namespace torvane::testing
