#include "format_value.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

// A float is m * 2^e with an integer m below 2^24. Its six significant digits are
// round(m * 2^e * 10^k) for the k that brings the result into [10^5, 10^6). For k >= 0 that
// is m * 5^k shifted right, for k < 0 an integer division by a power of ten; both are exact
// in 64 bits for the values a report mostly holds and in 128 bits for every other float,
// and the bits shifted or divided away decide the round-half-even step. No float needs
// the slow general conversion.

namespace torvane {
namespace {

__extension__ typedef unsigned __int128 uint128;

constexpr std::uint32_t six_digit_floor = 100'000;
constexpr std::uint32_t six_digit_limit = 1'000'000;

// mantissa * 2^exponent, exactly the value of a finite nonzero float.
struct binary_value {
    std::uint32_t mantissa;
    int exponent;
};

// digits * 10^(exponent - 5), digits in [10^5, 10^6): the value rounded to six digits.
struct decimal_value {
    std::uint32_t digits;
    int exponent;
};

template <std::size_t count>
constexpr std::array<uint128, count> powers_of(unsigned base)
{
    std::array<uint128, count> powers{};
    uint128 power = 1;
    for (auto& entry : powers) {
        entry = power;
        power *= base;
    }
    return powers;
}

// 5^k up to the smallest subnormal (k = 50); up to 5^17 a 24-bit mantissa times it fits 64 bits.
constexpr auto powers_of_5 = powers_of<51>(5);
constexpr int largest_narrow_power_of_5 = 17;
// 10^j up to the largest float (j = 33); more are kept to make the bound obvious.
constexpr auto powers_of_10 = powers_of<39>(10);
// Below this exponent m * 2^e, and so any divisor of it, fits 64 bits.
constexpr int largest_narrow_exponent = 40;

constexpr std::array<char, 200> two_digit_table = [] {
    std::array<char, 200> table{};
    for (int i = 0; i < 100; ++i) {
        table[2 * i] = static_cast<char>('0' + i / 10);
        table[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return table;
}();

const char* two_digits(std::uint32_t value) { return &two_digit_table[2 * value]; }

// The integer part of a scaled value and whether rounding half to even takes it one up.
struct scaled_value {
    std::uint64_t quotient;
    bool round_up;
};

// Written with bitwise operators so that the compiler makes no branch of it: which way a
// value rounds is as good as random, and a mispredicted branch costs more than the rest.
bool rounds_up(bool above_half, bool exactly_half, std::uint64_t quotient)
{
    return above_half | (exactly_half & ((quotient & 1) != 0));
}

template <class Uint>
scaled_value shift_right(Uint value, int shift)
{
    const Uint quotient = value >> shift;
    const Uint remainder = value - (quotient << shift);
    const Uint half = Uint{1} << (shift - 1);
    const auto narrow = static_cast<std::uint64_t>(quotient);
    return {narrow, rounds_up(remainder > half, remainder == half, narrow)};
}

template <class Uint>
scaled_value divide(Uint value, Uint divisor)
{
    const Uint quotient = value / divisor;
    const Uint remainder = value - quotient * divisor;
    const Uint rest = divisor - remainder; // compared with the remainder instead of halving an odd divisor
    const auto narrow = static_cast<std::uint64_t>(quotient);
    return {narrow, rounds_up(remainder > rest, remainder == rest, narrow)};
}

// value * 10^power, for a power that leaves it below 10^7.
scaled_value scale(binary_value value, int power)
{
    if (power >= 0) {
        // m * 2^e * 10^k = m * 5^k / 2^-(e + k); the shift is positive for every such float.
        const int shift = -(value.exponent + power);
        if (power <= largest_narrow_power_of_5)
            return shift_right(value.mantissa * static_cast<std::uint64_t>(powers_of_5[power]), shift);
        return shift_right(value.mantissa * powers_of_5[power], shift);
    }
    // m * 2^e / 10^j, with the power of two moved to whichever side keeps both integers.
    const int up = value.exponent > 0 ? value.exponent : 0;
    const int down = value.exponent < 0 ? -value.exponent : 0;
    if (value.exponent <= largest_narrow_exponent)
        return divide(std::uint64_t{value.mantissa} << up, static_cast<std::uint64_t>(powers_of_10[-power]) << down);
    return divide(uint128{value.mantissa} << up, powers_of_10[-power] << down);
}

// floor(log10(2^p)); the formula is exact for every p a float can have.
int decimal_exponent_of_power_of_2(int p) { return (p * 78913) >> 18; }

// 10^k as doubles for k = -45 .. 39. A float compared with them tells its decimal exponent:
// no float lies between a power of ten and its nearest double (the exhaustive check of
// every float confirms it), so the comparison is exact for floats.
constexpr int lowest_power_of_10 = -45;
// The compiler reads each literal as its nearest double, as std::from_chars would.
constexpr std::array<double, 85> powers_of_10_as_double = {
    1e-45, 1e-44, 1e-43, 1e-42, 1e-41, 1e-40, 1e-39, 1e-38, 1e-37, 1e-36,
    1e-35, 1e-34, 1e-33, 1e-32, 1e-31, 1e-30, 1e-29, 1e-28, 1e-27, 1e-26,
    1e-25, 1e-24, 1e-23, 1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16,
    1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9, 1e-8, 1e-7, 1e-6,
    1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4,
    1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14,
    1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22, 1e23, 1e24,
    1e25, 1e26, 1e27, 1e28, 1e29, 1e30, 1e31, 1e32, 1e33, 1e34,
    1e35, 1e36, 1e37, 1e38, 1e39,
};

decimal_value to_decimal(binary_value value, double magnitude)
{
    const int binary_exponent = value.exponent + static_cast<int>(std::bit_width(value.mantissa)) - 1;
    // The value lies in [2^p, 2^(p+1)), so its decimal exponent is this one or the next.
    int exponent = decimal_exponent_of_power_of_2(binary_exponent);
    exponent += magnitude >= powers_of_10_as_double[static_cast<std::size_t>(exponent + 1 - lowest_power_of_10)];
    const scaled_value scaled = scale(value, 5 - exponent);
    auto digits = static_cast<std::uint32_t>(scaled.quotient) + (scaled.round_up ? 1u : 0u);
    if (digits == six_digit_limit) { // 999999.5 and the like round up to the next power of ten
        digits = six_digit_floor;
        ++exponent;
    }
    return {digits, exponent};
}

binary_value decompose(std::uint32_t biased_exponent, std::uint32_t fraction)
{
    if (biased_exponent == 0)
        return {fraction, -149}; // subnormal: no implicit leading bit
    return {fraction | (1u << 23), static_cast<int>(biased_exponent) - 150};
}

// The six digits as ASCII in the low six bytes of a word, first digit first in memory.
std::uint64_t six_ascii_digits(std::uint32_t digits)
{
    const std::uint32_t low_four = digits % 10'000;
    std::uint16_t pairs[4] = {};
    std::memcpy(&pairs[0], two_digits(digits / 10'000), 2);
    std::memcpy(&pairs[1], two_digits(low_four / 100), 2);
    std::memcpy(&pairs[2], two_digits(low_four % 100), 2);
    std::uint64_t word;
    std::memcpy(&word, pairs, sizeof word);
    return word;
}

// How many of the six digits remain once trailing zeros are dropped: the zero digits at
// the end are the zero bytes at the top once '0' is taken off every digit. The first
// digit is never zero, so at least one remains.
int significant_digits(std::uint64_t ascii)
{
    const std::uint64_t offsets = (ascii ^ 0x3030'3030'3030) << 16;
    return 6 - std::countl_zero(offsets) / 8;
}

void store8(char* out, std::uint64_t word) { std::memcpy(out, &word, sizeof word); }

// The texts below are written with whole 8-byte stores and then cut to length, so the
// layout costs no data-dependent branch; that is why a caller gives value_scratch_chars.

// "123.456", "0.00123", "120": used for decimal exponents -4 to 5.
char* write_fixed(decimal_value value, char* out)
{
    const std::uint64_t ascii = six_ascii_digits(value.digits);
    const int significant = significant_digits(ascii);
    if (value.exponent < 0) {
        store8(out, 0x3030'3030'3030'2e30); // "0.000000"
        const int leading = 1 - value.exponent;  // "0." and the zeros after the point
        store8(out + leading, ascii);
        return out + leading + significant;
    }
    const int whole = value.exponent + 1;
    store8(out, ascii);
    out[whole] = '.';
    store8(out + whole + 1, ascii >> (8 * whole));
    // Any zeros among the whole digits are wanted; a point with nothing after it is not.
    return out + (significant > whole ? significant + 1 : whole);
}

// "e-05", "e+38" for every decimal exponent a float can have, -45 to 38.
constexpr std::array<std::uint32_t, 84> exponent_suffixes = [] {
    std::array<std::uint32_t, 84> suffixes{};
    for (int e = -45; e <= 38; ++e) {
        const int magnitude = e < 0 ? -e : e;
        const auto text = static_cast<std::uint32_t>('e') | static_cast<std::uint32_t>(e < 0 ? '-' : '+') << 8 |
                          static_cast<std::uint32_t>('0' + magnitude / 10) << 16 |
                          static_cast<std::uint32_t>('0' + magnitude % 10) << 24;
        suffixes[static_cast<std::size_t>(e + 45)] = text;
    }
    return suffixes;
}();

// "1.23457e+06", "1e-05": a float's decimal exponent lies within -45..38, always two digits.
char* write_scientific(decimal_value value, char* out)
{
    const std::uint64_t ascii = six_ascii_digits(value.digits);
    const int significant = significant_digits(ascii);
    store8(out, ascii);
    out[1] = '.';
    store8(out + 2, ascii >> 8);
    out += significant > 1 ? significant + 1 : 1;
    const std::uint32_t suffix = exponent_suffixes[static_cast<std::size_t>(value.exponent + 45)];
    std::memcpy(out, &suffix, sizeof suffix);
    return out + 4;
}

} // namespace

char* format_value(float value, char* out)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    *out = '-';
    out += bits >> 31; // NaN included: its sign bit decides "-nan"
    const std::uint32_t biased_exponent = (bits >> 23) & 0xff;
    const std::uint32_t fraction = bits & 0x7f'ffff;
    if (biased_exponent == 0xff) {
        std::memcpy(out, fraction != 0 ? "nan" : "inf", 3);
        return out + 3;
    }
    if (biased_exponent == 0 && fraction == 0) {
        *out = '0';
        return out + 1;
    }
    const decimal_value decimal = to_decimal(decompose(biased_exponent, fraction), std::fabs(static_cast<double>(value)));
    if (decimal.exponent >= -4 && decimal.exponent < 6)
        return write_fixed(decimal, out);
    return write_scientific(decimal, out);
}

} // namespace torvane
