// Compares format_value with std::to_chars (general, precision 6, the float widened to
// double) for every float bit pattern, on two threads. Too slow for the unit tests; run it
// through scripts/check-format-exhaustive after touching the formatter.
//
// Usage: torvane_format_exhaustive [first count]   (hexadecimal; default: all 2^32 patterns)

#include "format_value.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr std::uint64_t chunk_size = std::uint64_t{1} << 24;

std::string expected_text(float value)
{
    char text[64];
    return {text, std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::general, 6).ptr};
}

// Our text, or a marker when the formatter wrote past its scratch bytes or beyond max_value_chars.
std::string our_text(float value)
{
    char text[torvane::value_scratch_chars + 8];
    std::memset(text, '\x7f', sizeof text);
    const char* end = torvane::format_value(value, text);
    if (end < text || end > text + torvane::max_value_chars ||
        std::any_of(text + torvane::value_scratch_chars, std::end(text), [](char c) { return c != '\x7f'; }))
        return "<wrote past its bounds>";
    return std::string(static_cast<const char*>(text), end);
}

bool parse_hex(const char* text, std::uint64_t& value)
{
    const char* end = text + std::strlen(text);
    text += std::strncmp(text, "0x", 2) == 0 ? 2 : 0;
    const auto result = std::from_chars(text, end, value, 16);
    return result.ec == std::errc{} && result.ptr == end;
}

} // namespace

int main(int argc, char** argv)
{
    std::uint64_t first = 0, count = std::uint64_t{1} << 32;
    if (argc != 1 && (argc != 3 || !parse_hex(argv[1], first) || !parse_hex(argv[2], count) ||
                      first + count > (std::uint64_t{1} << 32))) {
        std::cerr << "usage: " << argv[0] << " [first count]   (hexadecimal, within 32 bits)\n";
        return 2;
    }
    std::atomic<std::uint64_t> next_chunk{0}, mismatch_count{0};
    std::mutex mutex;
    std::map<std::uint32_t, std::string> lowest_mismatches;  // the lowest 20, whatever the threads' timing
    const auto work = [&] {
        for (std::uint64_t begin; (begin = next_chunk.fetch_add(1) * chunk_size) < count;) {
            for (std::uint64_t pattern = first + begin; pattern < first + std::min(begin + chunk_size, count); ++pattern) {
                const auto value = std::bit_cast<float>(static_cast<std::uint32_t>(pattern));
                if (our_text(value) == expected_text(value))
                    continue;
                ++mismatch_count;
                const std::lock_guard lock(mutex);
                lowest_mismatches[static_cast<std::uint32_t>(pattern)] =
                    "format_value \"" + our_text(value) + "\", std::to_chars \"" + expected_text(value) + "\"";
                if (lowest_mismatches.size() > 20)
                    lowest_mismatches.erase(std::prev(lowest_mismatches.end()));
            }
            std::cerr << "checked up to pattern " << std::hex << first + std::min(begin + chunk_size, count) << std::dec
                      << ", " << mismatch_count << " mismatches\n";
        }
    };
    std::thread helper(work);
    work();
    helper.join();

    for (const auto& [bits, what] : lowest_mismatches)
        std::cout << "0x" << std::hex << bits << std::dec << ": " << what << "\n";
    std::cout << mismatch_count << " of " << count << " bit patterns from 0x" << std::hex << first << std::dec
              << " differ from std::to_chars\n";
    return mismatch_count == 0 ? 0 : 1;
}
