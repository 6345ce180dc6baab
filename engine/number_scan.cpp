#include "number_scan.hpp"

#include <charconv>
#include <string>
#include <system_error>

namespace torvane {
namespace {

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

const char* take_digits(const char* pos, const char* end)
{
    while (pos != end && is_digit(*pos))
        ++pos;
    return pos;
}

// The characters a stream accumulates for a float: sign, digits, one decimal point, and
// an exponent mark (only after a mantissa digit) with its own optional sign and digits.
// "1e" and "1e+" are taken whole and then fail to convert, as a stream does.
const char* take_float_token(const char* pos, const char* end)
{
    if (pos != end && (*pos == '+' || *pos == '-'))
        ++pos;
    const char* digits_start = pos;
    pos = take_digits(pos, end);
    bool have_mantissa = pos != digits_start;
    if (pos != end && *pos == '.') {
        const char* fraction = ++pos;
        pos = take_digits(pos, end);
        have_mantissa = have_mantissa || pos != fraction;
    }
    if (have_mantissa && pos != end && (*pos == 'e' || *pos == 'E')) {
        ++pos;
        if (pos != end && (*pos == '+' || *pos == '-'))
            ++pos;
        pos = take_digits(pos, end);
    }
    return pos;
}

// Decimal exponent of the leading significant digit, saturated; tells an overflowing
// token (which fails) from an underflowing one (which reads as a signed zero).
long long leading_digit_exponent(const char* first, const char* last)
{
    long long position = 0;  // exponent of the next mantissa digit, relative to the point
    long long leading = 0;
    bool found = false;
    bool after_point = false;
    const char* pos = first;
    for (; pos != last && *pos != 'e' && *pos != 'E'; ++pos) {
        if (*pos == '.') {
            after_point = true;
            continue;
        }
        if (!is_digit(*pos))
            continue;
        if (!after_point && found)
            ++leading;
        if (after_point)
            --position;
        if (!found && *pos != '0') {
            found = true;
            leading = after_point ? position : 0;
        }
    }
    long long exponent = 0;
    if (pos != last) {
        ++pos;
        const bool negative = pos != last && *pos == '-';
        if (pos != last && (*pos == '+' || *pos == '-'))
            ++pos;
        for (; pos != last && exponent < 1000000000; ++pos)
            exponent = exponent * 10 + (*pos - '0');
        if (negative)
            exponent = -exponent;
    }
    return leading + exponent;
}

scan_outcome convert_float(const char* first, const char* last, float& value)
{
    const char* digits = first + (*first == '+' || *first == '-' ? 1 : 0);
    // from_chars takes no '+' and must see the whole token, or the stream would have failed.
    float parsed = 0.0f;
    const auto result = std::from_chars(first + (*first == '+' ? 1 : 0), last, parsed);
    if (result.ec == std::errc() && result.ptr == last) {
        value = parsed;
        return scan_outcome::read;
    }
    if (result.ec != std::errc::result_out_of_range || result.ptr != last)
        return scan_outcome::not_a_number;
    if (leading_digit_exponent(digits, last) >= 0)
        return scan_outcome::out_of_range;  // too large for a float
    value = *first == '-' ? -0.0f : 0.0f;
    return scan_outcome::read;
}

} // namespace

const char* skip_white_space(const char* pos, const char* end)
{
    while (pos != end && is_space(*pos))
        ++pos;
    return pos;
}

scan_outcome read_int(const char*& pos, const char* end, std::int32_t& value)
{
    pos = skip_white_space(pos, end);
    if (pos == end)
        return scan_outcome::end_of_text;
    const char* first = pos;
    if (*pos == '+' || *pos == '-')
        ++pos;
    pos = take_digits(pos, end);
    std::int32_t parsed = 0;
    const auto result = std::from_chars(first + (*first == '+' ? 1 : 0), pos, parsed);
    if (result.ec == std::errc::result_out_of_range && result.ptr == pos)
        return scan_outcome::out_of_range;
    if (result.ec != std::errc() || result.ptr != pos)
        return scan_outcome::not_a_number;
    value = parsed;
    return scan_outcome::read;
}

scan_outcome read_float(const char*& pos, const char* end, float& value)
{
    pos = skip_white_space(pos, end);
    if (pos == end)
        return scan_outcome::end_of_text;
    const char* first = pos;
    pos = take_float_token(pos, end);
    if (pos == first)
        return scan_outcome::not_a_number;
    return convert_float(first, pos, value);
}

} // namespace torvane
