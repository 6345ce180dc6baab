#include "correct_digits.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace torvane {
namespace {

exact_fraction times_power(big_int numerator, std::int64_t exponent, unsigned base)
{
    big_int scale = boost::multiprecision::pow(big_int(base), static_cast<unsigned>(exponent < 0 ? -exponent : exponent));
    if (exponent >= 0)
        return {numerator * scale, big_int(1)};
    return {std::move(numerator), std::move(scale)};
}

// Digits, rounded down to tenths, from an estimate good to far better than 1e-6. A
// whole number of digits k, on which the verdict's "d digits" rests, is decided on the
// whole numbers: the error is at most 10^-k of `scale` exactly when error x 10^k <= scale.
double rounded_down_to_tenths(double estimate, const big_int& error, const big_int& scale, double cap)
{
    double digits = std::floor(estimate * 10) / 10;
    const double whole = std::round(estimate);
    if (std::fabs(estimate - whole) < 1e-6 && whole >= 0) {
        const bool reached = error * boost::multiprecision::pow(big_int(10), static_cast<unsigned>(whole)) <= scale;
        digits = reached ? whole : whole - 0.1;
    }
    return std::clamp(digits, 0.0, cap);
}

} // namespace

exact_fraction fraction_of(float value)
{
    const binary_fraction exact = exact_value(value);
    return times_power(exact.numerator, exact.exponent, 2);
}

std::optional<exact_fraction> fraction_of_text(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    big_int digits = 0;
    std::int64_t exponent = 0;
    bool any = false;
    bool after_point = false;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !after_point) {
            after_point = true;
        } else if (c >= '0' && c <= '9') {
            digits = digits * 10 + (c - '0');
            exponent -= after_point ? 1 : 0;
            any = true;
        } else {
            break;
        }
    }
    if (!any)
        return std::nullopt;
    if (i < text.size()) {
        if (text[i] != 'e' && text[i] != 'E')
            return std::nullopt;
        std::string_view rest = text.substr(i + 1);
        if (!rest.empty() && rest.front() == '+')
            rest.remove_prefix(1);
        int power = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), power);
        if (error != std::errc() || end != rest.data() + rest.size())
            return std::nullopt;
        exponent += power;
    }
    return times_power(negative ? -digits : digits, exponent, 10);
}

bool same_value(const exact_fraction& a, const exact_fraction& b)
{
    return a.numerator * b.denominator == b.numerator * a.denominator;
}

double correct_digits(const exact_fraction& approximation, const exact_fraction& exact, double cap)
{
    // |x - e| = |xn ed - en xd| / (xd ed); relative to |e| = |en| / ed that is
    // |xn ed - en xd| / (|en| xd), and absolute, where e = 0, it is over xd ed.
    const big_int difference = abs(approximation.numerator * exact.denominator - exact.numerator * approximation.denominator);
    if (difference == 0)
        return cap;
    const big_int scale = exact.numerator == 0 ? approximation.denominator * exact.denominator
                                               : abs(exact.numerator) * approximation.denominator;
    return rounded_down_to_tenths(log10_of(scale) - log10_of(difference), difference, scale, cap);
}

float nearest_float(const exact_fraction& value)
{
    if (value.numerator == 0)
        return 0.0f;
    const big_int magnitude = abs(value.numerator);
    // 2^e <= |v| < 2^(e + 1): compare on the whole numbers after a first guess from the bits.
    auto e = static_cast<std::int64_t>(msb(magnitude)) - static_cast<std::int64_t>(msb(value.denominator));
    const auto at_least = [&](std::int64_t k) {
        return k >= 0 ? magnitude >= (value.denominator << k) : (magnitude << -k) >= value.denominator;
    };
    if (!at_least(e))
        --e;
    // Normal floats keep 24 bits from 2^e down; below 2^-126 the last kept bit is 2^-149.
    const std::int64_t lowest_bit = std::max<std::int64_t>(e - 23, -149);
    big_int top = lowest_bit >= 0 ? magnitude : magnitude << -lowest_bit;
    big_int bottom = lowest_bit >= 0 ? value.denominator << lowest_bit : value.denominator;
    big_int units = top / bottom;
    const big_int twice_rest = 2 * (top - units * bottom);
    if (twice_rest > bottom || (twice_rest == bottom && (units & 1) != 0))
        ++units;
    const double magnitude_value = std::ldexp(static_cast<double>(units), static_cast<int>(lowest_bit));
    const float result = magnitude_value > std::numeric_limits<float>::max() && units > 0
                             ? std::numeric_limits<float>::infinity()
                             : static_cast<float>(magnitude_value);
    return value.numerator < 0 ? -result : result;
}

} // namespace torvane
