#pragma once
// A fast 64-bit checksum of a byte stream, the same however the stream is cut into
// pieces: the report's bytes are summed as they are written and again as they are read
// back, so a report changed in between is caught even when its length stayed the same.
// Four lanes of a Fletcher-style sum over 64-bit words (a running sum and a sum of the
// running sums, which weighs each word by its place); cheap enough to vanish next to
// formatting. It guards against accidents and other programs, not against an adversary.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace torvane {

class content_checksum {
public:
    void add(std::string_view bytes);
    // The checksum of everything added so far; adding more afterwards goes on from there.
    std::uint64_t value() const;

private:
    static constexpr std::size_t lanes = 4;
    static constexpr std::size_t block_size = lanes * sizeof(std::uint64_t);

    void add_blocks(const char* data, std::size_t blocks);

    std::uint64_t sum_[lanes] = {};
    std::uint64_t weighted_[lanes] = {};
    char pending_[block_size] = {};
    std::size_t pending_size_ = 0;
    std::uint64_t length_ = 0;
};

} // namespace torvane
