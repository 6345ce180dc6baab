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
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

// Our text, or a marker when the formatter wrote past its scratch bytes or beyond max_value_chars.
static std::string our_text(float value)
{
    char text[torvane::value_scratch_chars + 8];
    std::memset(text, '\x7f', sizeof text);
    const char* end = torvane::format_value(value, text);
    if (end < text || end > text + torvane::max_value_chars ||
        std::any_of(text + torvane::value_scratch_chars, std::end(text), [](char c) { return c != '\x7f'; }))
        return "<wrote past its bounds>";
    return std::string(static_cast<const char*>(text), end);
}

static std::string expected_text(float value)
{
    char text[64];
    return {text, std::to_chars(text, std::end(text), static_cast<double>(value), std::chars_format::general, 6).ptr};
}

int main(int argc, char** argv)
{
    const std::uint64_t first = argc == 3 ? std::strtoull(argv[1], nullptr, 16) : 0;
    const std::uint64_t count = argc == 3 ? std::strtoull(argv[2], nullptr, 16) : std::uint64_t{1} << 32;
    if ((argc != 1 && argc != 3) || first + count > (std::uint64_t{1} << 32)) {
        std::cerr << "usage: " << argv[0] << " [first count]   (hexadecimal, within 32 bits)\n";
        return 2;
    }
    constexpr std::uint64_t chunk = std::uint64_t{1} << 24;
    std::atomic<std::uint64_t> next_chunk{0}, mismatches{0};
    std::mutex output;
    const auto work = [&] {
        for (std::uint64_t begin; (begin = next_chunk++ * chunk) < count;) {
            for (std::uint64_t pattern = first + begin; pattern < first + std::min(begin + chunk, count); ++pattern) {
                const auto value = std::bit_cast<float>(static_cast<std::uint32_t>(pattern));
                if (our_text(value) != expected_text(value) && ++mismatches <= 20) {
                    const std::lock_guard lock(output);
                    std::cout << "0x" << std::hex << pattern << std::dec << ": format_value \"" << our_text(value)
                              << "\", std::to_chars \"" << expected_text(value) << "\"\n";
                }
            }
            std::cerr << "checked to 0x" << std::hex << first + std::min(begin + chunk, count) << std::dec << "\n";
        }
    };
    std::thread helper(work);
    work();
    helper.join();
    std::cout << mismatches << " of " << count << " bit patterns differ from std::to_chars\n";
    return mismatches == 0 ? 0 : 1;
}
