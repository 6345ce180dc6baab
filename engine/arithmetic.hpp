#pragma once
// The arithmetic rules every computed entry follows: evaluated in double precision,
// stored in single precision; "tiny" and "usable" are judged against the double 1e-6.

#include <cmath>

namespace torvane {

inline constexpr double tiny_threshold = 1e-6;

// Compared against the double 1e-6: the float nearest to 1e-6 lies just below it and is tiny.
inline bool is_tiny(float x) { return std::fabs(x) < tiny_threshold; }
inline bool is_usable(float x) { return std::fabs(x) > tiny_threshold; }

// The quotient of two floats, evaluated in double and rounded once more to float.
inline float stored_quotient(float numerator, float denominator)
{
    return static_cast<float>(static_cast<double>(numerator) / static_cast<double>(denominator));
}

} // namespace torvane
