// Compares format_value with std::to_chars (general, precision 6, the float widened to
// double) for every float bit pattern, on two threads; then the slots each eight-at-a-time
// formatter (in vectors, as the page runs it, and with AVX2 where the processor has it)
// fills with those format_value fills, eight patterns at a time. Too slow for
// the unit tests; run it through scripts/check-format-exhaustive after touching either.
//
// Usage: torvane_format_exhaustive [first count]   (hexadecimal; default: all 2^32 patterns)

#include "format_slots.hpp"
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
#include <utility>
#include <vector>

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

using eight_formatter = void (*)(const float*, char*);

// The first of `count` patterns from `first` on (a multiple of eight) whose slot differs
// when formatted eight at a time, or `first + count` when none does.
static std::uint64_t first_slot_mismatch(eight_formatter format_eight, std::uint64_t first, std::uint64_t count)
{
    using torvane::slot_bytes;
    float values[torvane::values_per_batch];
    char batch[sizeof values * slot_bytes], single[sizeof values * slot_bytes];
    for (std::uint64_t pattern = first; pattern < first + count; pattern += torvane::values_per_batch) {
        for (std::uint32_t k = 0; k < torvane::values_per_batch; ++k)
            values[k] = std::bit_cast<float>(static_cast<std::uint32_t>(pattern + k));
        format_eight(values, batch);
        torvane::format_into_slots_one_by_one(values, torvane::values_per_batch, single);
        for (std::uint32_t k = 0; k < torvane::values_per_batch; ++k) {
            const char* a = batch + k * slot_bytes;
            const char* b = single + k * slot_bytes;
            if (a[slot_bytes - 1] != b[slot_bytes - 1] || std::memcmp(a, b, static_cast<unsigned char>(b[slot_bytes - 1])) != 0)
                return pattern + k;
        }
    }
    return first + count;
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

    std::uint64_t all_slot_mismatches = 0;
    std::vector<std::pair<const char*, eight_formatter>> formatters{{"in vectors", torvane::format_eight_into_slots_in_vectors}};
    if (torvane::slots_formatted_with_avx2())
        formatters.emplace_back("with AVX2", torvane::format_eight_into_slots_avx2);
    for (const auto& [name, format_eight] : formatters) {
        std::atomic<std::uint64_t> next_slice{0}, slot_mismatches{0};
        const std::uint64_t aligned_first = first & ~std::uint64_t{7};
        const std::uint64_t aligned_count = (first + count + 7) / 8 * 8 - aligned_first;
        const auto compare_slots = [&] {
            for (std::uint64_t begin; (begin = next_slice++ * chunk) < aligned_count;) {
                const std::uint64_t size = std::min(chunk, aligned_count - begin);
                const std::uint64_t found = first_slot_mismatch(format_eight, aligned_first + begin, size);
                if (found != aligned_first + begin + size) {
                    ++slot_mismatches;
                    const std::lock_guard lock(output);
                    std::cout << "0x" << std::hex << found << std::dec << ": formatted eight at a time " << name
                              << ", the slot differs from format_value's\n";
                }
            }
        };
        std::thread slot_helper(compare_slots);
        compare_slots();
        slot_helper.join();
        std::cout << slot_mismatches << " stretches of patterns formatted eight at a time " << name << " differ\n";
        all_slot_mismatches += slot_mismatches;
    }
    return mismatches == 0 && all_slot_mismatches == 0 ? 0 : 1;
}
