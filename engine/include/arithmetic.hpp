#pragma once
// The arithmetic rules every computed entry follows: evaluated in double precision,
// stored in single precision; "tiny" and "usable" are judged against the double 1e-6.

#include <cmath>

namespace torvane {

inline constexpr double tiny_threshold = 1e-6;

// Compared against the double 1e-6: the float nearest to 1e-6 lies just below it and is tiny.
inline bool is_tiny(float x) { return std::fabs(x) < tiny_threshold; }
inline bool is_usable(float x) { return std::fabs(x) > tiny_threshold; }

// A product, sum or quotient as x86 gives it when two NaNs meet: the first one, and its
// sign, which the report shows ("-nan" or "nan"). Other processors, and emulators such as
// qemu, may keep the second; spelled out, the report is the same everywhere. With one NaN
// operand or none every processor gives the same result.
inline double product_keeping_first_nan(double a, double b) { return a != a ? a : a * b; }
inline double sum_keeping_first_nan(double a, double b) { return a != a ? a : a + b; }
inline double quotient_keeping_first_nan(double a, double b) { return a != a ? a : a / b; }

// The quotient of two floats, evaluated in double and rounded once more to float.
inline float stored_quotient(float numerator, float denominator)
{
    return static_cast<float>(
        quotient_keeping_first_nan(static_cast<double>(numerator), static_cast<double>(denominator)));
}

} // namespace torvane
