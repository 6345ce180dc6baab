#include "content_checksum.hpp"

#include <algorithm>
#include <cstring>

namespace torvane {

content_checksum::content_checksum(const hash_key& key, std::uint64_t starts_at) : key_(key), end_(starts_at)
{
}

// A block's hash, hashed again with the block's number: the same block elsewhere in the
// stream, or two blocks swapped, give other terms.
std::uint64_t content_checksum::block_term(std::uint64_t index, const char* data, std::size_t size) const
{
    const std::uint64_t placed[2] = {index, keyed_hash(key_, data, size)};
    return keyed_hash(key_, reinterpret_cast<const char*>(placed), sizeof placed);
}

void content_checksum::add(std::string_view bytes)
{
    const char* data = bytes.data();
    std::size_t size = bytes.size();
    if (pending_size_ > 0) {
        const std::size_t taken = std::min(size, block_size - pending_size_);
        std::memcpy(pending_ + pending_size_, data, taken);
        pending_size_ += taken;
        end_ += taken;
        data += taken;
        size -= taken;
        if (pending_size_ < block_size)
            return;
        sum_ += block_term(end_ / block_size - 1, pending_, block_size);
        pending_size_ = 0;
    }
    for (; size >= block_size; data += block_size, size -= block_size) {
        end_ += block_size;
        sum_ += block_term(end_ / block_size - 1, data, block_size);
    }
    std::memcpy(pending_, data, size);
    pending_size_ = size;
    end_ += size;
}

void content_checksum::append(const content_checksum& later)
{
    sum_ += later.sum_;
    std::memcpy(pending_, later.pending_, later.pending_size_);
    pending_size_ = later.pending_size_;
    // Joined out of place, the terms stand for other places: the checksum then matches no
    // stream written in one go, and a check fails rather than passes.
    end_ = later.end_;
}

std::uint64_t content_checksum::value() const
{
    // The last, partial block counts as a block of its own length; the stream's length
    // and a hash of the sum make the checksum.
    std::uint64_t sum = sum_;
    if (pending_size_ > 0)
        sum += block_term(end_ / block_size, pending_, pending_size_);
    const std::uint64_t summary[3] = {sum, end_, ~std::uint64_t{0}};
    return keyed_hash(key_, reinterpret_cast<const char*>(summary), sizeof summary);
}

} // namespace torvane
