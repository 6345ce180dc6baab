#pragma once
// The formatted text of each row line of the last step block. Between two passes only
// the rows an update wrote change, so the others are copied instead of formatted again.
// The cache is used only while it stays small next to the report it saves work on.

#include <cstddef>
#include <string_view>
#include <vector>

namespace torvane {

class row_text_cache {
public:
    // Sizes the cache for `rows` lines of at most `line_capacity` bytes each; turns it off
    // when that would take more than the memory budget.
    void prepare(std::size_t rows, std::size_t line_capacity);
    bool enabled() const { return enabled_; }

    char* line(std::size_t r) { return text_.data() + r * capacity_; }
    void store(std::size_t r, const char* end) { length_[r] = static_cast<std::size_t>(end - line(r)); }
    std::string_view text(std::size_t r) const { return {text_.data() + r * capacity_, length_[r]}; }

private:
    std::vector<char> text_;
    std::vector<std::size_t> length_;
    std::size_t capacity_ = 0;
    bool enabled_ = false;
};

} // namespace torvane
