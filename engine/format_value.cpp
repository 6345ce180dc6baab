#include "format_value.hpp"

#include <array>
#include <bit>
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

bool rounds_up(bool above_half, bool exactly_half, std::uint64_t quotient)
{
    return above_half || (exactly_half && (quotient & 1) != 0);
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

decimal_value to_decimal(binary_value value)
{
    const int binary_exponent = value.exponent + static_cast<int>(std::bit_width(value.mantissa)) - 1;
    // The value lies in [2^p, 2^(p+1)), so its decimal exponent is this one or the next.
    int exponent = decimal_exponent_of_power_of_2(binary_exponent);
    scaled_value scaled = scale(value, 5 - exponent);
    if (scaled.quotient >= six_digit_limit) {
        ++exponent;
        scaled = scale(value, 5 - exponent);
    }
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

void write_six_digits(std::uint32_t digits, char* out)
{
    const std::uint32_t low_four = digits % 10'000;
    std::memcpy(out, two_digits(digits / 10'000), 2);
    std::memcpy(out + 2, two_digits(low_four / 100), 2);
    std::memcpy(out + 4, two_digits(low_four % 100), 2);
}

// How many of the six digits remain once trailing zeros are dropped (at least one).
int significant_digits(std::uint32_t digits)
{
    int count = 6;
    while (count > 1 && digits % 10 == 0) {
        digits /= 10;
        --count;
    }
    return count;
}

char* put_digits(const char* digits, int count, char* out)
{
    std::memcpy(out, digits, static_cast<std::size_t>(count));
    return out + count;
}

// "123.456", "0.00123", "120": used for decimal exponents -4 to 5.
char* write_fixed(decimal_value value, char* out)
{
    char digits[6];
    write_six_digits(value.digits, digits);
    const int significant = significant_digits(value.digits);
    if (value.exponent < 0) {
        static constexpr char leading[] = "0.000";
        out = put_digits(leading, 1 - value.exponent, out);
        return put_digits(digits, significant, out);
    }
    const int whole = value.exponent + 1;
    out = put_digits(digits, whole, out); // any zeros among them are wanted
    if (significant <= whole)
        return out;
    *out++ = '.';
    return put_digits(digits + whole, significant - whole, out);
}

// "1.23457e+06", "1e-05": a float's decimal exponent lies within -45..38, always two digits.
char* write_scientific(decimal_value value, char* out)
{
    char digits[6];
    write_six_digits(value.digits, digits);
    const int significant = significant_digits(value.digits);
    *out++ = digits[0];
    if (significant > 1) {
        *out++ = '.';
        out = put_digits(digits + 1, significant - 1, out);
    }
    *out++ = 'e';
    *out++ = value.exponent < 0 ? '-' : '+';
    const int magnitude = value.exponent < 0 ? -value.exponent : value.exponent;
    std::memcpy(out, two_digits(static_cast<std::uint32_t>(magnitude)), 2);
    return out + 2;
}

} // namespace

char* format_value(float value, char* out)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    if ((bits >> 31) != 0)
        *out++ = '-'; // NaN included: its sign bit decides "-nan"
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
    const decimal_value decimal = to_decimal(decompose(biased_exponent, fraction));
    if (decimal.exponent >= -4 && decimal.exponent < 6)
        return write_fixed(decimal, out);
    return write_scientific(decimal, out);
}

} // namespace torvane
