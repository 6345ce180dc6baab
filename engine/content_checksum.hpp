#pragma once
// A keyed checksum of a byte stream, the same however the stream is cut into pieces: the
// report's bytes are summed as they are written and again as they are read back, so a
// report changed in between is caught even when its length stayed the same. The stream is
// taken in blocks of 16 KiB at fixed places; each block's keyed hash (keyed_hash.hpp) is
// hashed again with its place, and those are added up, so that pieces summed apart, on
// different threads, join by adding. Under a key drawn afresh for each run, a program that
// changes the file cannot steer a change past the check: without the key it cannot tell
// which change keeps the sum, and a change is missed only by chance, 2^-64.

#include "keyed_hash.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace torvane {

class content_checksum {
public:
    static constexpr std::size_t block_size = std::size_t{1} << 14;

    // Sums bytes that stand at `starts_at` in the stream, a whole number of blocks in: a
    // piece summed apart says where it lies.
    explicit content_checksum(const hash_key& key, std::uint64_t starts_at = 0);

    void add(std::string_view bytes);
    // Goes on as if the bytes summed in `later` were added here. This checksum must end
    // where `later` starts, after a whole number of blocks (pieces of a size divisible by
    // block_size, say).
    void append(const content_checksum& later);
    // The checksum of everything added so far (from the stream's start); adding more
    // afterwards goes on from there.
    std::uint64_t value() const;
    const hash_key& key() const { return key_; }

private:
    std::uint64_t block_term(std::uint64_t index, const char* data, std::size_t size) const;

    hash_key key_;
    std::uint64_t sum_ = 0;  // of the terms of the whole blocks added
    std::uint64_t end_;      // where in the stream the bytes added so far end
    char pending_[block_size];
    std::size_t pending_size_ = 0;
};

} // namespace torvane
