#pragma once
// The text of every matrix entry as the last step block wrote it. Between two passes most
// entries keep their exact bits (a row update adds zero wherever the source row holds a
// zero), so an entry is formatted again only when its bits changed; otherwise its text
// is copied. The cache is used only while it stays small next to the report it saves
// work on.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace torvane {

class entry_text_cache {
public:
    // A slot holds the value's text and its two blanks; its last byte holds the length.
    static constexpr std::size_t slot_size = 16;

    static constexpr std::size_t default_budget = std::size_t{256} << 20;

    // Sizes the cache for `entries` entries; turns the cache off when it would take more
    // than `budget` bytes or cannot be allocated. True when the texts are not known yet
    // (a new size): the next refresh must then be done with `all`. A text depends only on
    // its entry's bits, so a cache already of this size stays valid from run to run.
    bool prepare(std::size_t entries, std::size_t budget = default_budget);
    bool enabled() const { return enabled_; }

    // Brings the texts of entries first .. first + count - 1 up to date with `values`:
    // only those whose bits changed are formatted again, or every one with `all`.
    void refresh(std::size_t first, const float* values, std::size_t count, bool all);
    // Copies entry i's slot to `out` (writing up to slot_size bytes) and returns the end
    // of its text.
    char* copy(std::size_t i, char* out) const
    {
        const char* slot = slots_.get() + i * slot_size;
        std::memcpy(out, slot, slot_size);
        return out + static_cast<unsigned char>(slot[slot_size - 1]);
    }

private:
    std::unique_ptr<std::uint32_t[]> bits_;
    std::unique_ptr<char[]> slots_;
    std::size_t entries_ = 0;
    bool enabled_ = false;
};

} // namespace torvane
