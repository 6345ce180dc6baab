#include "big_number.hpp"

#include <cmath>
#include <string>

namespace torvane {

double log10_of(const big_int& value)
{
    const big_int magnitude = abs(value);
    const auto top_bit = static_cast<std::int64_t>(msb(magnitude));
    const std::int64_t dropped = top_bit > 52 ? top_bit - 52 : 0;
    const double leading = static_cast<double>(static_cast<std::uint64_t>(magnitude >> dropped));
    return std::log10(leading) + static_cast<double>(dropped) * 0.30102999566398119521;
}

std::size_t decimal_digit_count(const big_int& value)
{
    return value == 0 ? 1 : abs(value).str().size();
}

namespace {

big_int power_of_ten(std::int64_t exponent)
{
    return boost::multiprecision::pow(big_int(10), static_cast<unsigned>(exponent));
}

// The exponent e with 10^e <= n / d < 10^(e + 1), for n, d > 0.
std::int64_t decimal_exponent(const big_int& n, const big_int& d)
{
    auto e = static_cast<std::int64_t>(std::floor(log10_of(n) - log10_of(d)));
    // The estimate is off by at most one either way; settle it on the whole numbers.
    const auto at_least = [&](std::int64_t k) {
        return k >= 0 ? n >= d * power_of_ten(k) : n * power_of_ten(-k) >= d;
    };
    while (!at_least(e))
        --e;
    while (at_least(e + 1))
        ++e;
    return e;
}

std::string two_digit_exponent(std::int64_t exponent)
{
    const std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    return std::string(exponent < 0 ? "e-" : "e+") + (digits.size() < 2 ? "0" : "") + digits;
}

} // namespace

std::string significant_text(const big_int& numerator, const big_int& denominator, int digits)
{
    if (numerator == 0)
        return "0";
    const big_int n = abs(numerator);
    std::int64_t e = decimal_exponent(n, denominator);
    // q = n / d * 10^(digits - 1 - e), rounded half to even.
    const std::int64_t shift = digits - 1 - e;
    big_int top = shift >= 0 ? n * power_of_ten(shift) : n;
    big_int bottom = shift >= 0 ? denominator : denominator * power_of_ten(-shift);
    big_int q = top / bottom;
    const big_int twice_rest = 2 * (top - q * bottom);
    if (twice_rest > bottom || (twice_rest == bottom && (q & 1) != 0))
        ++q;
    std::string mantissa = q.str();
    if (mantissa.size() > static_cast<std::size_t>(digits)) {  // rounded up to the next power of ten
        mantissa.pop_back();
        ++e;
    }
    std::string text = numerator < 0 ? "-" : "";
    if (e < -4 || e >= digits) {
        while (mantissa.size() > 1 && mantissa.back() == '0')
            mantissa.pop_back();
        text += mantissa.substr(0, 1);
        if (mantissa.size() > 1)
            text += "." + mantissa.substr(1);
        return text + two_digit_exponent(e);
    }
    // Fixed notation: digits - 1 - e places after the point, trailing zeros dropped.
    if (e < 0)
        mantissa = std::string(static_cast<std::size_t>(-e), '0') + mantissa;
    const std::size_t whole = static_cast<std::size_t>(e < 0 ? 1 : e + 1);
    std::string fraction = mantissa.substr(whole);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    return text + mantissa.substr(0, whole) + (fraction.empty() ? "" : "." + fraction);
}

binary_fraction exact_value(float value)
{
    int exponent = 0;
    const float mantissa = std::frexp(value, &exponent);  // value = mantissa * 2^exponent, 0.5 <= |mantissa| < 1
    auto whole = static_cast<std::int64_t>(std::ldexp(mantissa, 24));
    exponent -= 24;
    // The smallest whole numerator: an integer entry keeps a shift of 0.
    while (whole != 0 && whole % 2 == 0) {
        whole /= 2;
        ++exponent;
    }
    return {big_int(whole), static_cast<std::int32_t>(exponent)};
}

} // namespace torvane
