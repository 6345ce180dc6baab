// The report as a terminal shows it.

#include "terminal_text.hpp"

#include <gtest/gtest.h>

namespace torvane {
namespace {

const std::string raw_report_piece = "\xB5\xDA 12\xB2\xBD\r\n1  2   | 1  0  \r\n\r\n\xC7\xF3\xC4\xE6\xBD\xE1\xB9\xFB\xA3\xBA\r\n";

std::string convert_in_pieces(terminal_encoding encoding, const std::string& text, std::size_t piece_size)
{
    terminal_text converter(encoding);
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += piece_size)
        converter.convert(std::string_view(text).substr(at, piece_size), out);
    converter.finish(out);
    return out;
}

TEST(terminal_text, utf8_labels_and_lf_line_ends_however_the_text_is_split)
{
    const std::string expected = "\u7B2C 12\u6B65\n1  2   | 1  0  \n\n\u6C42\u9006\u7ED3\u679C\uFF1A\n";
    for (std::size_t piece = 1; piece <= raw_report_piece.size(); ++piece)
        EXPECT_EQ(convert_in_pieces(terminal_encoding::utf8, raw_report_piece, piece), expected) << "pieces of " << piece;
}

TEST(terminal_text, gbk_terminal_keeps_the_label_bytes)
{
    const std::string expected = "\xB5\xDA 12\xB2\xBD\n1  2   | 1  0  \n\n\xC7\xF3\xC4\xE6\xBD\xE1\xB9\xFB\xA3\xBA\n";
    EXPECT_EQ(convert_in_pieces(terminal_encoding::gbk, raw_report_piece, 3), expected);
}

TEST(terminal_text, lone_carriage_returns_and_a_dangling_byte_are_kept)
{
    EXPECT_EQ(convert_in_pieces(terminal_encoding::utf8, "a\rb\r", 1), "a\rb\r");
    EXPECT_EQ(convert_in_pieces(terminal_encoding::utf8, "x\xB5", 1), "x\xB5");
}

} // namespace
} // namespace torvane
