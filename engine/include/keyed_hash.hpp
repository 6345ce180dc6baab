#pragma once
// A keyed hash of a byte range: Google's HighwayHash (from Debian's libhighwayhash-dev,
// header-only here), a pseudorandom function of its 256-bit key. Without the key nobody
// can make two texts with one hash except by chance (2^-64 a pair), however the texts were
// chosen; with a key drawn afresh for each run, a program that changes a file the run
// wrote cannot make the change pass the run's check.

#include <array>
#include <cstddef>
#include <cstdint>

namespace torvane {

using hash_key = std::array<std::uint64_t, 4>;

// A key from the system's source of random numbers, different each call.
hash_key fresh_hash_key();

// The 64-bit HighwayHash of `size` bytes; the same on every processor and every build (the
// SSE4.1 code where the processor has it, chosen as the program runs, portable code else).
std::uint64_t keyed_hash(const hash_key& key, const char* data, std::size_t size);

} // namespace torvane
