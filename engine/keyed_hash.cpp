#include "keyed_hash_target.hpp"

#include <random>

namespace torvane {

#if defined(__GNUC__) && defined(__x86_64__)
std::uint64_t keyed_hash_sse41(const hash_key& key, const char* data, std::size_t size);
#endif

hash_key fresh_hash_key()
{
    // The system's source (getrandom on Linux, RtlGenRandom on Windows, the browser's
    // crypto.getRandomValues in the page), not a seeded generator.
    std::random_device source;
    hash_key key{};
    for (std::uint64_t& word : key)
        word = (std::uint64_t{source()} << 32) | source();
    return key;
}

std::uint64_t keyed_hash(const hash_key& key, const char* data, std::size_t size)
{
#if defined(__GNUC__) && defined(__x86_64__)
    if (__builtin_cpu_supports("sse4.1"))
        return keyed_hash_sse41(key, data, size);
#endif
    return hash_for_this_target(key, data, size);
}

} // namespace torvane
