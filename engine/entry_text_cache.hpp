#pragma once
// The text of every matrix entry, and the line of every row, as the last step block wrote
// them. Between two passes most entries keep their exact bits (a row update adds zero
// wherever the source row holds a zero) and many rows keep all of theirs (a pass updates
// only the rows below or above its pivot). An entry is formatted again only when its
// bits changed and a row's line is put together again only when one of its entries did;
// every other line is copied whole. The cache is used only while it stays small next to
// the report it saves work on.

#include "elimination_settings.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace torvane {

class entry_text_cache {
public:
    // A slot holds the value's text and its two blanks; its last byte holds the length.
    static constexpr std::size_t slot_size = 16;

    static constexpr std::size_t default_budget = default_step_text_budget;

    // Sizes the cache for `rows` rows of `columns` entries whose lines take at most
    // `line_capacity` bytes; turns the cache off when it would take more than `budget`
    // bytes or cannot be allocated. True when the texts are not known yet (a new size):
    // the next refresh of every row must then be done with `all`. A cache already of this
    // size keeps its texts: the step writer prepares it before every step block.
    bool prepare(std::size_t rows, std::size_t columns, std::size_t line_capacity, std::size_t budget = default_budget);
    bool enabled() const { return enabled_; }

    // Brings the texts of row `row` up to date with `values` (`columns` entries): only
    // entries whose bits changed are formatted again, or every one with `all`. True when
    // any was, so that the row's line must be put together again.
    bool refresh(std::size_t row, const float* values, bool all);
    // Copies the slot of the entry in `column` of `row` to `out` (writing up to slot_size
    // bytes) and returns the end of its text.
    char* copy(std::size_t row, std::size_t column, char* out) const
    {
        const char* slot = slots_.get() + (row * columns_ + column) * slot_size;
        std::memcpy(out, slot, slot_size);
        return out + static_cast<unsigned char>(slot[slot_size - 1]);
    }

    // Room for a new line of `row` (line_capacity bytes), and keeping what was put there
    // as the row's line. Each row has two places for its line, used in turn: a new line
    // never overwrites the one line(row) gave out last, so that text can still be being
    // written while the next step block is prepared.
    char* line_room(std::size_t row) { return place(row, 1 - current_[row]); }
    void keep_line(std::size_t row, const char* end)
    {
        const std::size_t next = 1 - current_[row];
        line_lengths_[2 * row + next] = static_cast<std::size_t>(end - place(row, next));
        current_[row] = static_cast<unsigned char>(next);
    }
    std::string_view line(std::size_t row) const
    {
        return {place(row, current_[row]), line_lengths_[2 * row + current_[row]]};
    }

private:
    bool allocate(std::size_t rows, std::size_t columns, std::size_t line_capacity);
    char* place(std::size_t row, std::size_t which) const { return lines_.get() + (2 * row + which) * line_capacity_; }

    std::unique_ptr<std::uint32_t[]> bits_;
    std::unique_ptr<char[]> slots_;
    std::unique_ptr<char[]> lines_;
    std::unique_ptr<std::size_t[]> line_lengths_;
    std::unique_ptr<unsigned char[]> current_;
    std::size_t rows_ = 0;
    std::size_t columns_ = 0;
    std::size_t line_capacity_ = 0;
    bool enabled_ = false;
};

} // namespace torvane
