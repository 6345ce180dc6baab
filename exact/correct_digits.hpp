#pragma once
// How many decimal digits of an approximation are right, measured against an exact value.

#include "exact_inverse.hpp"

#include <optional>
#include <string_view>

namespace torvane {

// The exact value of a finite float, or of a number as printed ("-0.333333", "1.5e-05").
exact_fraction fraction_of(float value);
std::optional<exact_fraction> fraction_of_text(std::string_view text);

// -log10 of the error of `approximation` relative to `exact` (absolute where `exact` is 0),
// clamped to 0 .. cap and rounded down to tenths, so the figure shown is the one judged.
// An approximation equal to the exact value gets `cap`.
double correct_digits(const exact_fraction& approximation, const exact_fraction& exact, double cap);

// Whether two fractions are the same number.
bool same_value(const exact_fraction& a, const exact_fraction& b);

// The float nearest to the fraction (ties to even), inf beyond the float range, as the
// float type would round a real number of that value.
float nearest_float(const exact_fraction& value);

} // namespace torvane
