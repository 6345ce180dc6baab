#include "entry_text_cache.hpp"

#include "format_slots.hpp"
#include "format_value.hpp"

#include <bit>
#include <new>

namespace torvane {
namespace {

constexpr std::size_t bytes_per_entry = entry_text_cache::slot_size + sizeof(std::uint32_t);

static_assert(entry_text_cache::slot_size == slot_bytes, "the cache keeps the slots format_into_slots fills");

// The bytes the cache needs, or SIZE_MAX when that does not even fit a size_t.
std::size_t cache_bytes(std::size_t rows, std::size_t columns, std::size_t line_capacity)
{
    const std::size_t most = SIZE_MAX;
    if (rows == 0)
        return 0;
    if (columns > most / rows / bytes_per_entry || line_capacity > (most / rows - columns * bytes_per_entry) / 2)
        return most;
    return rows * (columns * bytes_per_entry + 2 * line_capacity);  // two places for each line
}

} // namespace

bool entry_text_cache::prepare(std::size_t rows, std::size_t columns, std::size_t line_capacity, std::size_t budget)
{
    enabled_ = cache_bytes(rows, columns, line_capacity) <= budget;
    if (enabled_ && rows == rows_ && columns == columns_ && line_capacity == line_capacity_)
        return false;
    bits_.reset();
    slots_.reset();
    lines_.reset();
    line_lengths_.reset();
    current_.reset();
    rows_ = columns_ = line_capacity_ = 0;
    if (enabled_ && !allocate(rows, columns, line_capacity)) {
        // Memory too tight for the cache: every entry is formatted each time instead.
        enabled_ = false;
    }
    return true;
}

bool entry_text_cache::allocate(std::size_t rows, std::size_t columns, std::size_t line_capacity)
{
    try {
        bits_.reset(new std::uint32_t[rows * columns]());
        slots_.reset(new char[rows * columns * slot_size]);
        lines_.reset(new char[2 * rows * line_capacity]);
        line_lengths_.reset(new std::size_t[2 * rows]());
        current_.reset(new unsigned char[rows]());
    } catch (const std::bad_alloc&) {
        bits_.reset();
        slots_.reset();
        lines_.reset();
        line_lengths_.reset();
        return false;
    }
    rows_ = rows;
    columns_ = columns;
    line_capacity_ = line_capacity;
    return true;
}

bool entry_text_cache::refresh(std::size_t row, const float* values, bool all)
{
    std::uint32_t* known = bits_.get() + row * columns_;
    // Most rows of a step block are exactly as the last block left them.
    if (!all && std::memcmp(known, values, columns_ * sizeof(float)) == 0)
        return false;
    char* slots = slots_.get() + row * columns_ * slot_size;
    // Eight entries at a time, all eight formatted again when any changed: the entries a
    // pass changes lie together, and formatting eight together costs little more than one.
    std::size_t i = 0;
    for (; i + values_per_batch <= columns_; i += values_per_batch) {
        const std::size_t bytes = values_per_batch * sizeof(float);
        if (all || std::memcmp(known + i, values + i, bytes) != 0) {
            std::memcpy(known + i, values + i, bytes);
            format_into_slots(values + i, values_per_batch, slots + i * slot_size);
        }
    }
    for (; i < columns_; ++i) {
        const auto bits = std::bit_cast<std::uint32_t>(values[i]);
        if (all || bits != known[i]) {
            known[i] = bits;
            format_into_slots(values + i, 1, slots + i * slot_size);
        }
    }
    return true;
}

} // namespace torvane
