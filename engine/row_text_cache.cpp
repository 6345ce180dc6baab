#include "row_text_cache.hpp"

namespace torvane {
namespace {

constexpr std::size_t memory_budget = std::size_t{256} << 20;

} // namespace

void row_text_cache::prepare(std::size_t rows, std::size_t line_capacity)
{
    enabled_ = line_capacity != 0 && rows <= memory_budget / line_capacity;
    if (!enabled_) {
        text_ = {};
        length_ = {};
        return;
    }
    if (capacity_ == line_capacity && length_.size() == rows)
        return;
    capacity_ = line_capacity;
    text_.resize(rows * line_capacity);
    length_.assign(rows, 0);
}

} // namespace torvane
