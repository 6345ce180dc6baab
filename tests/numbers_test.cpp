// The numbers of the report, both ways.
//
// Writing: format_value must write exactly what std::to_chars writes for the float widened
// to double (general notation, six digits). The classes below hold the floats where a fast
// formatter goes wrong: power-of-ten and binade boundaries, exact ties at the sixth digit,
// carries into the next power of ten, the fixed/scientific switch, subnormals, the
// extremes and the special values. Random bit patterns are the fuzz target's, every float
// the opt-in exhaustive check's (scripts/check-format-exhaustive).
//
// Reading: as a C++ stream in the classic locale reads: success, value (to the bit, so the
// sign of a zero counts), and where the next read starts. The cases are in
// tests/data/number_scan.tsv; random texts are the fuzz target's.

#include "format_slots.hpp"
#include "format_value.hpp"
#include "number_scan.hpp"
#include "test_support.hpp"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace torvane::testing {
namespace {

float from_bits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

std::string reference_text(float value)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::general, 6);
    return {text, end.ptr};
}

// Our text; a marker instead when the formatter wrote past its scratch bytes or made a text
// longer than max_value_chars.
std::string text_of(float value)
{
    char text[value_scratch_chars + 8];
    std::memset(text, '\x7f', sizeof text);
    const char* end = format_value(value, text);
    const bool overran = std::any_of(text + value_scratch_chars, std::end(text), [](char c) { return c != '\x7f'; });
    if (overran || end < text || end > text + max_value_chars)
        return "<overran value_scratch_chars or max_value_chars>";
    return std::string(static_cast<const char*>(text), end);
}

// The corpus of reports pins the format itself; here the longest texts, which must fit.
TEST(format_value, longest_texts_fill_max_value_chars_exactly)
{
    EXPECT_EQ(text_of(-FLT_MIN), "-1.17549e-38");
    EXPECT_EQ(text_of(-0.000123456f), "-0.000123456");
}

// `value` and the `steps` floats on either side of it.
void add_with_neighbours(std::vector<float>& values, float value, int steps)
{
    values.push_back(value);
    for (float below = value, above = value; steps-- > 0;) {
        values.push_back(below = std::nextafter(below, -INFINITY));
        values.push_back(above = std::nextafter(above, INFINITY));
    }
}

// The float nearest a decimal literal such as "1e-5" or "9.999995e3".
float nearest(const std::string& literal)
{
    float value = 0;
    std::from_chars(literal.data(), literal.data() + literal.size(), value);
    return value;
}

std::vector<float> decimal_and_binary_boundaries()
{
    std::vector<float> values;
    for (int exponent = -45; exponent <= 38; ++exponent) {
        add_with_neighbours(values, nearest("1e" + std::to_string(exponent)), 4);
        add_with_neighbours(values, nearest("9.999995e" + std::to_string(exponent)), 8);  // carries up a decade
        add_with_neighbours(values, nearest("9.999985e" + std::to_string(exponent)), 2);
    }
    // Where the decimal exponent is estimated from the binary one: every binade's first floats.
    for (int exponent = -149; exponent <= 127; ++exponent)
        add_with_neighbours(values, std::ldexp(1.0f, exponent), 2);
    // Fixed notation for decimal exponents -4..5, scientific outside, decided after rounding.
    for (const char* literal : {"1e-4", "1e-5", "9.999995e-5", "9.999995e-6", "1e5", "1e6", "999999.5", "99999.95"})
        add_with_neighbours(values, nearest(literal), 64);
    return values;
}

// Exact values (10d + 5) * 10^(E - 6) for six-digit d: halfway between two texts. As
// (2d + 1) * 5^(E - 5) * 2^(E - 6) they are floats only for E in -4..7: below 5 the odd
// factor must be a multiple of 5^(5 - E), above 5 the product must stay under 2^24.
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
            add_with_neighbours(values, std::ldexp(static_cast<float>(mantissa), exponent - 6), 1);
        }
    }
    return values;
}

// Subnormals, the largest floats, infinities and NaNs of either sign with assorted payloads.
std::vector<float> edges()
{
    std::vector<float> values;
    for (std::uint32_t sign : {0u, 0x8000'0000u}) {
        for (std::uint32_t fraction = 0; fraction < 0x80'0000; fraction += fraction < 0x1'0000 ? 1 : 97)
            values.push_back(from_bits(sign | fraction));
        for (std::uint32_t bits = 0x7f7f'ffff; bits > 0x7f7f'ff00; --bits)
            values.push_back(from_bits(sign | bits));
        add_with_neighbours(values, from_bits(sign | 0x80'0000), 16);  // the smallest normal
        for (std::uint32_t fraction : {0u, 1u, 2u, 0x40'0000u, 0x40'0001u, 0x2a'aaaau, 0x7f'ffffu})
            values.push_back(from_bits(sign | 0x7f80'0000 | fraction));
    }
    return values;
}

struct value_class {
    const char* name;
    std::vector<float> (*values)();
};

class matches_to_chars : public ::testing::TestWithParam<value_class> {};

TEST_P(matches_to_chars, for_every_value_of_the_class)
{
    int mismatches = 0;
    for (const float value : GetParam().values())
        if (text_of(value) != reference_text(value) && ++mismatches <= 10)
            ADD_FAILURE() << "bits 0x" << std::hex << std::bit_cast<std::uint32_t>(value) << ": format_value \""
                          << text_of(value) << "\", std::to_chars \"" << reference_text(value) << '"';
    EXPECT_EQ(mismatches, 0);
}

// Each eight-at-a-time formatter (in the compiler's vectors, as the page runs it, and with
// AVX2, where the processor has it) must fill every slot as format_value does, for values
// it takes and values it leaves to format_value alike.
TEST_P(matches_to_chars, formatted_eight_at_a_time_too)
{
    std::vector<float> values = GetParam().values();
    values.resize((values.size() + values_per_batch - 1) / values_per_batch * values_per_batch, 1.5f);
    for (const float zero : {0.0f, -0.0f})
        values.insert(values.end(), values_per_batch, zero);  // a zero is formatted eight at a time too
    std::vector<char> single(values.size() * slot_bytes);
    format_into_slots_one_by_one(values.data(), values.size(), single.data());
    std::vector<std::pair<const char*, void (*)(const float*, char*)>> formatters{
        {"in vectors", format_eight_into_slots_in_vectors}};
    if (slots_formatted_with_avx2())
        formatters.emplace_back("with AVX2", format_eight_into_slots_avx2);
    for (const auto& [name, format_eight] : formatters) {
        std::vector<char> batch(values.size() * slot_bytes);
        for (std::size_t i = 0; i < values.size(); i += values_per_batch)
            format_eight(&values[i], &batch[i * slot_bytes]);
        int mismatches = 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string_view ours(&batch[i * slot_bytes], static_cast<unsigned char>(batch[i * slot_bytes + slot_bytes - 1]));
            const std::string_view expected(&single[i * slot_bytes], static_cast<unsigned char>(single[i * slot_bytes + slot_bytes - 1]));
            if (ours != expected && ++mismatches <= 10)
                ADD_FAILURE() << name << ", bits 0x" << std::hex << std::bit_cast<std::uint32_t>(values[i]) << ": \"" << ours
                              << "\", format_value \"" << expected << '"';
        }
        EXPECT_EQ(mismatches, 0) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(format_value, matches_to_chars,
                         ::testing::Values(value_class{"boundaries", decimal_and_binary_boundaries},
                                         value_class{"sixth_digit_ties", sixth_digit_ties}, value_class{"edges", edges}),
                         [](const auto& tested) { return std::string(tested.param.name); });


// Scans `text` from a value of 42; the bits of the value afterwards and the characters taken.
template <class T, class Scan> std::tuple<bool, std::uint32_t, std::size_t> scanned(const std::string& text, Scan scan)
{
    const char* pos = text.data();
    T value = 42;
    const bool ok = scan(pos, text.data() + text.size(), value);
    return {ok, std::bit_cast<std::uint32_t>(value), static_cast<std::size_t>(pos - text.data())};
}

TEST(number_scan, takes_what_a_stream_takes)
{
    for (const auto& row : data_table("number_scan.tsv")) {
        const bool ok = row[2] == "1";
        const bool is_float = row[0] == "float";
        const auto expected_bits = is_float ? std::bit_cast<std::uint32_t>(ok ? std::strtof(row[3].c_str(), nullptr) : 42.0f)
                                            : static_cast<std::uint32_t>(ok ? std::stol(row[3]) : 42);
        const auto expected = std::tuple{ok, expected_bits, std::stoul(row[4])};
        EXPECT_EQ(is_float ? scanned<float>(row[1], scan_float) : scanned<std::int32_t>(row[1], scan_int), expected)
            << row[0] << " \"" << row[1] << "\"";
    }
}

} // namespace
} // namespace torvane::testing
