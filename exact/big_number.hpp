#pragma once
// Whole numbers and fractions of any size. Boost.Multiprecision's cpp_int is header-only
// and portable C++, so the Linux program, the Windows programs and the page compute the
// same exact values with the same code.

#include <boost/multiprecision/cpp_int.hpp>

#include <cstdint>
#include <string>

namespace torvane {

// Without expression templates: every operation gives a value, so `auto` and temporaries
// hold numbers, not references to operands that are gone.
using big_int = boost::multiprecision::number<boost::multiprecision::cpp_int_backend<>, boost::multiprecision::et_off>;
using big_rational = boost::multiprecision::number<boost::multiprecision::cpp_rational_backend, boost::multiprecision::et_off>;

// log10 |value| for a non-zero value, from its leading 53 bits: good to far better than
// the tenth of a digit the check shows.
double log10_of(const big_int& value);

// numerator / denominator (denominator > 0) rounded to `digits` significant digits and
// written as printf's %.{digits}g writes a double ("57", "4.84e+04", "1e-30"), with no
// limit on the exponent. Exact: the rounding is done on the whole numbers.
std::string significant_text(const big_int& numerator, const big_int& denominator, int digits);

// The decimal digits of |value|: how many there are.
std::size_t decimal_digit_count(const big_int& value);

// A float's exact value, m * 2^exponent with m odd (or 0).
struct binary_fraction {
    big_int numerator;      // with the float's sign
    std::int32_t exponent;  // value = numerator * 2^exponent
};
binary_fraction exact_value(float value);  // value must be finite

} // namespace torvane
