#include "matrix_file.hpp"

#include <cstring>
#include <string_view>

namespace torvane {
namespace {

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

bool is_blank(char c) { return c != '\0' && std::strchr(" \t\n\v\f\r", c) != nullptr; }

std::size_t end_of_first_word(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i]))
        ++i;
    while (i < text.size() && !is_blank(text[i]))
        ++i;
    return i;
}

} // namespace

box_texts split_matrix_text(std::string text)
{
    if (text.starts_with(byte_order_mark))
        text.erase(0, byte_order_mark.size());
    const std::size_t line_feed = text.find('\n');
    if (line_feed != std::string::npos && line_feed + 1 < text.size()) {
        std::string data = text.substr(line_feed + 1);
        text.resize(line_feed);
        return {std::move(text), std::move(data), true};
    }
    const std::size_t cut = end_of_first_word(text);
    // Only the order: the file of a run whose data box was empty, which stays empty.
    std::string data = end_of_first_word(text.substr(cut)) == text.size() - cut ? "" : text.substr(cut);
    text.resize(cut);
    return {std::move(text), std::move(data), false};
}

} // namespace torvane
