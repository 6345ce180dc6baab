#pragma once
// What the eight-at-a-time formatters share: which values they take, the powers of ten
// that find a value's decimal exponent and scale its six digits, and for each kind of
// text (sign, exponent, significant digits) the positions its bytes are taken from, as a
// byte shuffle. Built by the compiler; nothing here runs at start-up.

#include "report.hpp"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace torvane::slot_layouts {

// A value is formatted eight at a time when its decimal exponent is -7 to 5: from "1e-07" (a report
// holds no smaller value but zero: the elimination sets those to zero) to "999999", and
// zeros.
// Thresholds for exponents -7 .. 6.
inline constexpr int lowest_exponent = -7;
inline constexpr int highest_exponent = 5;
inline constexpr int lowest_fixed_exponent = -4;  // below it %g writes "1.5e-05"
inline constexpr int threshold_count = highest_exponent - lowest_exponent + 2;

// The least float at or above 10^k: a float is at least 10^k exactly when it is at least
// this one.
constexpr float least_float_at_or_above(double power)
{
    const float nearest = static_cast<float>(power);
    if (static_cast<double>(nearest) >= power)
        return nearest;
    return std::bit_cast<float>(std::bit_cast<std::uint32_t>(nearest) + 1);  // the next float up: power > 0
}

inline constexpr float power_of_10_thresholds[threshold_count] = {
    least_float_at_or_above(1e-7), least_float_at_or_above(1e-6), least_float_at_or_above(1e-5),
    least_float_at_or_above(1e-4), least_float_at_or_above(1e-3), least_float_at_or_above(1e-2),
    least_float_at_or_above(1e-1), least_float_at_or_above(1e0),  least_float_at_or_above(1e1),
    least_float_at_or_above(1e2),  least_float_at_or_above(1e3),  least_float_at_or_above(1e4),
    least_float_at_or_above(1e5),  least_float_at_or_above(1e6)};

// 10^p for p = 0 .. 12, exact in double: |v| * 10^(5 - e) is then exact too (a 24-bit
// mantissa times 5^12 needs 52 bits).
inline constexpr int largest_scale = highest_exponent - lowest_exponent;
alignas(32) inline constexpr double scales[largest_scale + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6,
                                                         1e7, 1e8, 1e9, 1e10, 1e11, 1e12};

// Bytes of the source a layout takes its text from: the six digits, then constants.
// The shuffle puts the value terminator, two blanks, after each value's text.
static_assert(report_text::value_terminator == "  ");
inline constexpr char digit_zero_at = 8, point_at = 9, blank_at = 10, minus_at = 11, e_at = 12;
constexpr char exponent_digit_at(int exponent) { return static_cast<char>(13 + (-exponent - 5)); }  // '5' '6' '7'
inline constexpr std::uint64_t source_constants = std::uint64_t{'0'} | std::uint64_t{'.'} << 8 | std::uint64_t{' '} << 16 |
                                           std::uint64_t{'-'} << 24 | std::uint64_t{'e'} << 32 |
                                           std::uint64_t{'5'} << 40 | std::uint64_t{'6'} << 48 | std::uint64_t{'7'} << 56;

struct layout {
    alignas(16) char shuffle[16];
    char length;  // of the text and its two blanks
};

inline constexpr int significant_counts = 6;
inline constexpr int exponent_count = highest_exponent - lowest_exponent + 1;
constexpr std::size_t layout_index(int negative, int exponent, int significant)
{
    return static_cast<std::size_t>((negative * exponent_count + exponent - lowest_exponent) * significant_counts +
                                    significant - 1);
}

// "123.456", "120", "0.00123", "1.5e-05" and their negatives, for every exponent and
// number of significant digits, as positions in the source; the two blanks follow.
// After them, "0" and "-0".
inline constexpr int zero_layout = 2 * exponent_count * significant_counts;

// A shuffle byte with its high bit set gives a zero byte.
constexpr layout empty_layout()
{
    layout entry{};
    for (char& source : entry.shuffle)
        source = static_cast<char>(0x80);
    return entry;
}

inline constexpr auto layouts = [] {
    std::array<layout, zero_layout + 2> table{};
    for (int negative = 0; negative < 2; ++negative) {
        layout& entry = table[static_cast<std::size_t>(zero_layout + negative)];
        entry = empty_layout();
        const char zero_text[] = {minus_at, digit_zero_at, blank_at, blank_at};
        for (int at = 0; at < 3 + negative; ++at)
            entry.shuffle[at] = zero_text[1 - negative + at];
        entry.length = static_cast<char>(3 + negative);
    }
    for (int negative = 0; negative < 2; ++negative)
        for (int exponent = lowest_exponent; exponent <= highest_exponent; ++exponent)
            for (int significant = 1; significant <= significant_counts; ++significant) {
                layout& entry = table[layout_index(negative, exponent, significant)];
                entry = empty_layout();
                int at = 0;
                const auto take = [&](int source) { entry.shuffle[at++] = static_cast<char>(source); };
                if (negative)
                    take(minus_at);
                if (exponent < lowest_fixed_exponent) {
                    take(0);
                    if (significant > 1) {
                        take(point_at);
                        for (int d = 1; d < significant; ++d)
                            take(d);
                    }
                    take(e_at);
                    take(minus_at);
                    take(digit_zero_at);
                    take(exponent_digit_at(exponent));
                } else if (exponent >= 0) {
                    const int whole = exponent + 1;
                    for (int d = 0; d < whole; ++d)
                        take(d);
                    if (significant > whole) {
                        take(point_at);
                        for (int d = whole; d < significant; ++d)
                            take(d);
                    }
                } else {
                    take(digit_zero_at);
                    take(point_at);
                    for (int z = 0; z < -exponent - 1; ++z)
                        take(digit_zero_at);
                    for (int d = 0; d < significant; ++d)
                        take(d);
                }
                take(blank_at);
                take(blank_at);
                entry.length = static_cast<char>(at);
            }
    return table;
}();

} // namespace torvane::slot_layouts
