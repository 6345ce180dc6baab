#pragma once
// Included by the two files that build HighwayHash for one kind of processor each. Its
// headers are included inside an unnamed namespace: every function they define stays in
// that file, so none built for SSE4.1 can stand in for the portable one elsewhere. The
// standard headers they use come first, outside it.

#include "keyed_hash.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stddef.h>
#include <stdint.h>
#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif

namespace torvane {
namespace {
#include "highwayhash/highwayhash.h"

std::uint64_t hash_for_this_target(const hash_key& key, const char* data, std::size_t size)
{
    alignas(32) const highwayhash::HHKey hh_key = {key[0], key[1], key[2], key[3]};
    highwayhash::HHStateT<HH_TARGET> state(hh_key);
    highwayhash::HHResult64 result = 0;
    highwayhash::HighwayHashT(&state, data, size, &result);
    return result;
}

} // namespace
} // namespace torvane
