// Reading numbers as a C++ stream in the classic locale reads them. Random texts are the
// fuzz target's (fuzz/number_scan_fuzz.cpp), checked against the stream itself.

#include "number_scan.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace torvane {
namespace {

struct float_case {
    const char* text;
    bool ok;
    float value;       // when ok
    std::size_t taken; // characters consumed, white space included
};

const float_case float_cases[] = {
    {"7", true, 7.0f, 1},
    {" \t\r\n\v\f-2.5", true, -2.5f, 10},
    {"+.5", true, 0.5f, 3},
    {"1.e5", true, 1e5f, 4},
    {"1.5.5", true, 1.5f, 3},           // the second point starts the next number
    {"1,2", true, 1.0f, 1},             // a comma stops the number and stays
    {"0x10", true, 0.0f, 1},            // no hexadecimal
    {"1e5e6", true, 1e5f, 3},
    {"00012", true, 12.0f, 5},
    {"1-2", true, 1.0f, 1},
    {"3.4028235e38", true, 3.4028235e38f, 12},
    {"1e-40", true, 1e-40f, 5},         // subnormal
    {"1e-50", true, 0.0f, 5},           // underflow reads as zero
    {"1e-99999999999999999999", true, 0.0f, 23},
    {"1e39", false, 0, 4},              // overflow fails
    {"3.40282357e38", false, 0, 13},    // rounds past the largest float
    {"1e99999999999999999999", false, 0, 22},
    {"1e", false, 0, 2},                // the exponent mark is taken, then fails
    {"1e+", false, 0, 3},
    {"1ex", false, 0, 2},
    {".", false, 0, 1},
    {".e5", false, 0, 1},
    {"-", false, 0, 1},
    {"+-1", false, 0, 1},
    {"inf", false, 0, 0},
    {"nan", false, 0, 0},
    {",1", false, 0, 0},
    {"\xEF\xBC\x91", false, 0, 0},      // full-width digit one
    {"", false, 0, 0},
    {"   ", false, 0, 3},
};

class float_scan : public ::testing::TestWithParam<float_case> {};

TEST_P(float_scan, takes_what_a_stream_takes)
{
    const float_case& c = GetParam();
    const char* pos = c.text;
    float value = 42.0f;
    EXPECT_EQ(scan_float(pos, c.text + std::strlen(c.text), value), c.ok);
    EXPECT_EQ(static_cast<std::size_t>(pos - c.text), c.taken);
    EXPECT_EQ(value, c.ok ? c.value : 42.0f) << "a failed read must leave the value as it was";
}

INSTANTIATE_TEST_SUITE_P(cases, float_scan, ::testing::ValuesIn(float_cases));

TEST(float_scan_signs, underflow_keeps_the_sign)
{
    const std::string text = "-1e-60";
    const char* pos = text.data();
    float value = 1.0f;
    ASSERT_TRUE(scan_float(pos, text.data() + text.size(), value));
    EXPECT_EQ(value, 0.0f);
    EXPECT_TRUE(std::signbit(value));
}

TEST(float_scan_long, very_long_numbers)
{
    const std::string huge = "1" + std::string(400, '0');
    const std::string small = "0." + std::string(400, '0') + "1";
    const std::string exact = "0." + std::string(300, '0') + "1e301";
    float value = 5.0f;
    const char* pos = huge.data();
    EXPECT_FALSE(scan_float(pos, huge.data() + huge.size(), value));
    pos = small.data();
    EXPECT_TRUE(scan_float(pos, small.data() + small.size(), value));
    EXPECT_EQ(value, 0.0f);
    pos = exact.data();
    EXPECT_TRUE(scan_float(pos, exact.data() + exact.size(), value));
    EXPECT_EQ(value, 1.0f);
}

struct int_case {
    const char* text;
    bool ok;
    std::int32_t value;
    std::size_t taken;
};

const int_case int_cases[] = {
    {"2", true, 2, 1},
    {"  +5", true, 5, 4},
    {"-0", true, 0, 2},
    {"2.5", true, 2, 1},         // ".5" is left for the first entry
    {"2 5", true, 2, 1},
    {"2147483647", true, 2147483647, 10},
    {"-2147483648", true, std::numeric_limits<std::int32_t>::min(), 11},
    {"2147483648", false, 0, 10},
    {"-2147483649", false, 0, 11},
    {"99999999999999999999999", false, 0, 23},
    {"- 5", false, 0, 1},
    {"abc", false, 0, 0},
    {"", false, 0, 0},
    {"0x1F", true, 0, 1},
};

class int_scan : public ::testing::TestWithParam<int_case> {};

TEST_P(int_scan, takes_what_a_stream_takes)
{
    const int_case& c = GetParam();
    const char* pos = c.text;
    std::int32_t value = 42;
    EXPECT_EQ(scan_int(pos, c.text + std::strlen(c.text), value), c.ok);
    EXPECT_EQ(static_cast<std::size_t>(pos - c.text), c.taken);
    EXPECT_EQ(value, c.ok ? c.value : 42);
}

INSTANTIATE_TEST_SUITE_P(cases, int_scan, ::testing::ValuesIn(int_cases));

} // namespace
} // namespace torvane
