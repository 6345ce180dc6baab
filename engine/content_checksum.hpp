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
    // Goes on as if the bytes summed in `later` were added here. This checksum must hold a
    // whole number of 32-byte blocks (pieces of a size divisible by block_size, say), so
    // that pieces summed apart, on different threads, can be joined in order.
    void append(const content_checksum& later);
    // The checksum of everything added so far; adding more afterwards goes on from there.
    std::uint64_t value() const;

    static constexpr std::size_t lanes = 4;
    static constexpr std::size_t block_size = lanes * sizeof(std::uint64_t);

private:
    void add_blocks(const char* data, std::size_t blocks);

    std::uint64_t sum_[lanes] = {};
    std::uint64_t weighted_[lanes] = {};
    char pending_[block_size] = {};
    std::size_t pending_size_ = 0;
    std::uint64_t length_ = 0;
};

} // namespace torvane
