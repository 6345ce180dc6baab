// Built with -msse4.1 on x86-64 (see CMakeLists.txt); runs only where keyed_hash() found
// the processor has SSE4.1.
#include "keyed_hash_target.hpp"

namespace torvane {

std::uint64_t keyed_hash_sse41(const hash_key& key, const char* data, std::size_t size)
{
    return hash_for_this_target(key, data, size);
}

} // namespace torvane
