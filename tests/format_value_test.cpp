#include "format_value.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

// format_value must write exactly what std::to_chars writes for the float widened to double
// (general notation, six digits). The checks compare the two over the classes of floats
// where a fast formatter goes wrong: power-of-ten boundaries, exact ties at the sixth
// digit, carries into the next power of ten, the fixed/scientific switch, subnormals and
// the special values. Random bit patterns are the fuzz target's, every float the opt-in
// exhaustive check's (scripts/check-format-exhaustive). A few literal texts pin the format.

namespace {

using torvane::format_value;
using torvane::max_value_chars;

float from_bits(std::uint32_t bits) { return std::bit_cast<float>(bits); }
std::uint32_t bits_of(float value) { return std::bit_cast<std::uint32_t>(value); }

std::string reference_text(float value)
{
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::general, 6);
    return {text, result.ptr};
}

// Our text; a marker instead when the formatter wrote past its scratch bytes or made a
// text longer than max_value_chars.
std::string text_of(float value)
{
    constexpr char guard = '\x7f';
    char text[torvane::value_scratch_chars + 8];
    std::memset(text, guard, sizeof text);
    const char* end = format_value(value, text);
    const bool overran = std::any_of(text + torvane::value_scratch_chars, text + sizeof text, [](char c) { return c != guard; });
    if (overran || end < text || end > text + max_value_chars)
        return "<overran value_scratch_chars or max_value_chars>";
    return std::string(static_cast<const char*>(text), end);
}

// The float nearest a decimal literal such as "1e-5" or "9.999995e3".
float nearest_float(const std::string& literal)
{
    float value = 0;
    const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    EXPECT_EQ(result.ec, std::errc{}) << literal;
    return value;
}

// `value` and the `steps` floats on either side of it.
void add_with_neighbours(std::vector<float>& values, float value, int steps)
{
    values.push_back(value);
    float below = value;
    float above = value;
    for (int i = 0; i < steps; ++i) {
        below = std::nextafter(below, -std::numeric_limits<float>::infinity());
        above = std::nextafter(above, std::numeric_limits<float>::infinity());
        values.push_back(below);
        values.push_back(above);
    }
}

// ---- Literal texts ----

struct literal_case {
    float value;
    const char* text;
};

const literal_case literal_cases[] = {
    {0.0f, "0"}, {-0.0f, "-0"}, {1.0f, "1"}, {-0.5f, "-0.5"}, {1.0f / 3.0f, "0.333333"}, {2.0f / 3.0f, "0.666667"},
    {0.1f, "0.1"}, {123456.0f, "123456"}, {1e6f, "1e+06"}, {1.5e-5f, "1.5e-05"}, {1e-4f, "0.0001"},
    {-0.000123456f, "-0.000123456"},
    {1.015625f, "1.01562"}, {1.046875f, "1.04688"},  // exact ties: 2 is even, 7 odd
    {0.0009765625f, "0.000976562"},                  // 2^-10, a tie with the smallest fixed exponent
    {1234565.0f, "1.23456e+06"}, {999999.4375f, "999999"}, {999999.5f, "1e+06"}, {9999995.0f, "1e+07"},
    {FLT_MAX, "3.40282e+38"}, {-FLT_MIN, "-1.17549e-38"}, {std::numeric_limits<float>::denorm_min(), "1.4013e-45"},
    {std::numeric_limits<float>::infinity(), "inf"}, {-std::numeric_limits<float>::infinity(), "-inf"},
    {from_bits(0x7fc00000), "nan"}, {from_bits(0xffc00000), "-nan"}, {from_bits(0xff800001), "-nan"},
};

TEST(format_value, writes_the_literal_texts)
{
    for (const auto& c : literal_cases)
        EXPECT_EQ(text_of(c.value), c.text) << "bits 0x" << std::hex << bits_of(c.value);
}

TEST(format_value, longest_texts_fill_max_value_chars_exactly)
{
    EXPECT_EQ(text_of(-FLT_MIN).size(), std::size_t(max_value_chars));
    EXPECT_EQ(text_of(-0.000123456f).size(), std::size_t(max_value_chars));
}

// ---- Classes compared with std::to_chars ----

std::vector<float> powers_of_ten()
{
    std::vector<float> values;
    for (int exponent = -45; exponent <= 38; ++exponent)
        add_with_neighbours(values, nearest_float("1e" + std::to_string(exponent)), 4);
    return values;
}

// Where the decimal exponent is estimated from the binary one: the first floats of every binade.
std::vector<float> powers_of_two()
{
    std::vector<float> values;
    for (int exponent = -149; exponent <= 127; ++exponent)
        add_with_neighbours(values, std::ldexp(1.0f, exponent), 2);
    return values;
}

// Exact values (10d + 5) * 10^(E - 6) for six-digit d: halfway between two texts. As
// (2d + 1) * 5^(E - 5) * 2^(E - 6) they are floats only for E in -4..7: below 5 the odd factor
// must be a multiple of 5^(5 - E), above 5 the product must stay under 2^24.
std::vector<float> sixth_digit_ties()
{
    std::vector<float> values;
    for (int exponent = -4; exponent <= 7; ++exponent) {
        std::uint64_t power = 1;
        for (int i = 0; i < std::abs(exponent - 5); ++i)
            power *= 5;
        for (std::uint64_t odd = 200'001; odd < 2'000'000; odd += 2) {
            if (exponent <= 5 && odd % power != 0)
                continue;
            const std::uint64_t mantissa = exponent <= 5 ? odd / power : odd * power;
            if (mantissa >= (std::uint64_t{1} << 24))
                break;
            values.push_back(std::ldexp(static_cast<float>(mantissa), exponent - 6));
        }
    }
    return values;
}

std::vector<float> sixth_digit_ties_and_neighbours()
{
    std::vector<float> values;
    for (float tie : sixth_digit_ties())
        add_with_neighbours(values, tie, 1);
    return values;
}

// 9.999995 * 10^n and the floats around it round up into the next decade.
std::vector<float> carries_into_next_power_of_ten()
{
    std::vector<float> values;
    for (int exponent = -45; exponent <= 37; ++exponent) { // 1e39 is beyond the floats
        add_with_neighbours(values, nearest_float("9.999995e" + std::to_string(exponent)), 8);
        add_with_neighbours(values, nearest_float("9.999985e" + std::to_string(exponent)), 2);
    }
    return values;
}

// Fixed notation for decimal exponents -4..5, scientific outside, decided after rounding.
std::vector<float> notation_switches()
{
    std::vector<float> values;
    for (const char* literal : {"1e-4", "1e-5", "9.999995e-5", "9.999995e-6", "1e5", "1e6", "999999.5", "99999.95"})
        add_with_neighbours(values, nearest_float(literal), 64);
    return values;
}

std::vector<float> subnormals()
{
    std::vector<float> values;
    for (std::uint32_t fraction = 1; fraction < 0x1'0000; ++fraction)
        values.push_back(from_bits(fraction));
    for (std::uint32_t fraction = 0x7f'ffff; fraction > 0x7f'f000; --fraction)
        values.push_back(from_bits(fraction));
    for (std::uint32_t fraction = 1; fraction < 0x80'0000; fraction += 97)
        values.push_back(from_bits(fraction));
    for (int bit = 0; bit < 23; ++bit)
        values.push_back(from_bits(std::uint32_t{1} << bit));
    return values;
}

std::vector<float> extremes()
{
    std::vector<float> values;
    add_with_neighbours(values, FLT_MIN, 16);
    add_with_neighbours(values, -FLT_MIN, 16);
    for (std::uint32_t bits = 0x7f7f'ffff; bits > 0x7f7f'ff00; --bits) {
        values.push_back(from_bits(bits));
        values.push_back(-from_bits(bits));
    }
    values.insert(values.end(), {0.0f, -0.0f, std::numeric_limits<float>::denorm_min()});
    return values;
}

// Infinities and NaNs of either sign, quiet and signalling, with assorted payloads.
std::vector<float> non_finite()
{
    std::vector<float> values;
    const std::uint32_t fractions[] = {0, 1, 2, 0x40'0000, 0x40'0001, 0x2a'aaaa, 0x55'5555, 0x7f'ffff, 0x3f'ffff};
    for (std::uint32_t sign : {0u, 0x8000'0000u})
        for (std::uint32_t fraction : fractions)
            values.push_back(from_bits(sign | 0x7f80'0000 | fraction));
    return values;
}

struct value_class {
    const char* name;
    std::vector<float> (*values)();
};

void PrintTo(const value_class& c, std::ostream* out) { *out << c.name; }

class matches_to_chars : public testing::TestWithParam<value_class> {};

TEST_P(matches_to_chars, for_every_value_of_the_class)
{
    const std::vector<float> values = GetParam().values();
    ASSERT_FALSE(values.empty());
    int mismatches = 0;
    for (float value : values) {
        const std::string ours = text_of(value);
        const std::string expected = reference_text(value);
        if (ours == expected)
            continue;
        if (++mismatches <= 10)
            ADD_FAILURE() << "bits 0x" << std::hex << bits_of(value) << ": format_value \"" << ours
                          << "\", std::to_chars \"" << expected << '"';
    }
    EXPECT_EQ(mismatches, 0) << "of " << values.size() << " values";
}

const value_class value_classes[] = {
    {"powers_of_ten", powers_of_ten},
    {"powers_of_two", powers_of_two},
    {"sixth_digit_ties", sixth_digit_ties_and_neighbours},
    {"carries_into_next_power_of_ten", carries_into_next_power_of_ten},
    {"notation_switches", notation_switches},
    {"subnormals", subnormals},
    {"extremes", extremes},
    {"non_finite", non_finite},
};

INSTANTIATE_TEST_SUITE_P(format_value, matches_to_chars, testing::ValuesIn(value_classes),
                         [](const testing::TestParamInfo<value_class>& tested) { return tested.param.name; });

} // namespace
