#include "entry_text_cache.hpp"

#include "format_value.hpp"

#include <bit>
#include <new>

namespace torvane {
namespace {

constexpr std::size_t bytes_per_entry = entry_text_cache::slot_size + sizeof(std::uint32_t);

static_assert(max_value_chars + 2 < entry_text_cache::slot_size, "a slot must hold a value, its blanks and its length");

} // namespace

bool entry_text_cache::prepare(std::size_t entries, std::size_t budget)
{
    enabled_ = entries <= budget / bytes_per_entry;
    if (enabled_ && entries == entries_)
        return false;
    bits_.reset();
    slots_.reset();
    entries_ = 0;
    if (!enabled_)
        return true;
    try {
        bits_.reset(new std::uint32_t[entries]());
        slots_.reset(new char[entries * slot_size]);
        entries_ = entries;
    } catch (const std::bad_alloc&) {
        // Memory too tight for the cache: every entry is formatted each time instead.
        bits_.reset();
        enabled_ = false;
    }
    return true;
}

void entry_text_cache::refresh(std::size_t first, const float* values, std::size_t count, bool all)
{
    std::uint32_t* known = bits_.get() + first;
    char* slot = slots_.get() + first * slot_size;
    for (std::size_t i = 0; i < count; ++i, slot += slot_size) {
        const auto bits = std::bit_cast<std::uint32_t>(values[i]);
        if (!all && bits == known[i])
            continue;
        known[i] = bits;
        char* end = format_value(values[i], slot);
        end[0] = ' ';
        end[1] = ' ';
        slot[slot_size - 1] = static_cast<char>(end + 2 - slot);
    }
}

} // namespace torvane
