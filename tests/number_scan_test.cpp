// Reading numbers as a C++ stream in the classic locale reads them: success, value, and
// where the next read starts. Random texts are the fuzz target's (fuzz/number_scan_fuzz.cpp),
// checked against the stream itself.

#include "number_scan.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <string>

namespace torvane {
namespace {

template <class T> struct scan_case {
    std::string text;
    bool ok;
    T value;            // when ok
    std::size_t taken;  // characters consumed, white space included
};

// A failed read must leave the value as it was.
template <class T, class Scan> void expect_scans(const std::vector<scan_case<T>>& cases, Scan scan)
{
    for (const auto& c : cases) {
        const char* pos = c.text.data();
        T value = 42;
        EXPECT_EQ(scan(pos, c.text.data() + c.text.size(), value), c.ok) << c.text;
        EXPECT_EQ(static_cast<std::size_t>(pos - c.text.data()), c.taken) << c.text;
        EXPECT_EQ(std::bit_cast<std::uint32_t>(value), std::bit_cast<std::uint32_t>(c.ok ? c.value : T{42})) << c.text;
    }
}

TEST(float_scan, takes_what_a_stream_takes)
{
    expect_scans<float>({{"7", true, 7.0f, 1}, {" \t\r\n\v\f-2.5", true, -2.5f, 10}, {"+.5", true, 0.5f, 3},
                         {"1.e5", true, 1e5f, 4}, {"1.5.5", true, 1.5f, 3}, {"1,2", true, 1.0f, 1},
                         {"0x10", true, 0.0f, 1}, {"1e5e6", true, 1e5f, 3}, {"00012", true, 12.0f, 5},
                         {"1-2", true, 1.0f, 1}, {"3.4028235e38", true, 3.4028235e38f, 12},
                         {"1e-40", true, 1e-40f, 5},  // subnormal
                         {"1e-50", true, 0.0f, 5}, {"-1e-60", true, -0.0f, 6},  // underflow: a zero of that sign
                         {"1e-99999999999999999999", true, 0.0f, 23}, {"0." + std::string(400, '0') + "1", true, 0.0f, 403},
                         {"0." + std::string(300, '0') + "1e301", true, 1.0f, 307},
                         {"1e39", false, 0, 4}, {"3.40282357e38", false, 0, 13},  // overflow fails
                         {"1" + std::string(400, '0'), false, 0, 401}, {"1e99999999999999999999", false, 0, 22},
                         {"1e", false, 0, 2}, {"1e+", false, 0, 3}, {"1ex", false, 0, 2},  // the mark is taken, then fails
                         {".", false, 0, 1}, {".e5", false, 0, 1}, {"-", false, 0, 1}, {"+-1", false, 0, 1},
                         {"inf", false, 0, 0}, {"nan", false, 0, 0}, {",1", false, 0, 0},
                         {"\xEF\xBC\x91", false, 0, 0},  // full-width digit one
                         {"", false, 0, 0}, {"   ", false, 0, 3}},
                        scan_float);
}

TEST(int_scan, takes_what_a_stream_takes)
{
    expect_scans<std::int32_t>({{"2", true, 2, 1}, {"  +5", true, 5, 4}, {"-0", true, 0, 2},
                                {"2.5", true, 2, 1},  // ".5" is left for the first entry
                                {"2 5", true, 2, 1}, {"0x1F", true, 0, 1}, {"2147483647", true, 2147483647, 10},
                                {"-2147483648", true, std::numeric_limits<std::int32_t>::min(), 11},
                                {"2147483648", false, 0, 10}, {"-2147483649", false, 0, 11},
                                {"99999999999999999999999", false, 0, 23}, {"- 5", false, 0, 1}, {"abc", false, 0, 0},
                                {"", false, 0, 0}},
                               scan_int);
}

} // namespace
} // namespace torvane
