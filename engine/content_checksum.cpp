#include "content_checksum.hpp"

#include <algorithm>
#include <cstring>

namespace torvane {
namespace {

std::uint64_t mix(std::uint64_t h, std::uint64_t value)
{
    h ^= value;
    h *= 0x9E3779B97F4A7C15u;
    return h ^ (h >> 29);
}

} // namespace

void content_checksum::add_blocks(const char* data, std::size_t blocks)
{
    // Summed in locals: the bytes are chars, which may alias the members, so sums kept in
    // the members would be stored back after every block.
    std::uint64_t sum[lanes];
    std::uint64_t weighted[lanes];
    std::memcpy(sum, sum_, sizeof sum);
    std::memcpy(weighted, weighted_, sizeof weighted);
    for (std::size_t b = 0; b < blocks; ++b, data += block_size) {
        std::uint64_t words[lanes];
        std::memcpy(words, data, block_size);
        for (std::size_t i = 0; i < lanes; ++i) {
            sum[i] += words[i];
            weighted[i] += sum[i];
        }
    }
    std::memcpy(sum_, sum, sizeof sum);
    std::memcpy(weighted_, weighted, sizeof weighted);
}

void content_checksum::add(std::string_view bytes)
{
    length_ += bytes.size();
    const char* data = bytes.data();
    std::size_t size = bytes.size();
    if (pending_size_ > 0) {
        const std::size_t taken = std::min(size, block_size - pending_size_);
        std::memcpy(pending_ + pending_size_, data, taken);
        pending_size_ += taken;
        data += taken;
        size -= taken;
        if (pending_size_ < block_size)
            return;
        add_blocks(pending_, 1);
        pending_size_ = 0;
    }
    add_blocks(data, size / block_size);
    pending_size_ = size % block_size;
    std::memcpy(pending_, data + size - pending_size_, pending_size_);
}

void content_checksum::append(const content_checksum& later)
{
    // Every running sum of `later` starts from this one's sum, once per block it holds.
    const std::uint64_t blocks = later.length_ / block_size;
    for (std::size_t i = 0; i < lanes; ++i) {
        weighted_[i] += blocks * sum_[i] + later.weighted_[i];
        sum_[i] += later.sum_[i];
    }
    std::memcpy(pending_, later.pending_, block_size);
    pending_size_ = later.pending_size_;
    length_ += later.length_;
}

std::uint64_t content_checksum::value() const
{
    // The last, partial block counts as if padded with zeros; the length tells the padding
    // from real zero bytes.
    content_checksum rest = *this;
    std::memset(rest.pending_ + rest.pending_size_, 0, block_size - rest.pending_size_);
    if (rest.pending_size_ > 0)
        rest.add_blocks(rest.pending_, 1);
    std::uint64_t h = mix(0, length_);
    for (std::size_t i = 0; i < lanes; ++i)
        h = mix(mix(h, rest.sum_[i]), rest.weighted_[i]);
    return h;
}

} // namespace torvane
