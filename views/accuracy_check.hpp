#pragma once
// How far a single-precision inverse X of A can be trusted, measured against the exact
// inverse of A as read: every entry of X, as the report prints it and as stored, against
// the exact entry. When X must not be trusted, the check names the cause from exact facts
// and from what the run saw. Past the exact check's reach it only estimates, in double
// precision, and then never calls X trustworthy.

#include "elimination_findings.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace torvane {

class elimination_record;

enum class accuracy_cause {
    none,               // X can be trusted
    not_proved,         // estimated only: the order is beyond the exact check
    input_not_finite,   // A as read holds inf or nan
    zero_pivot,         // the run divided by a zero pivot
    overflow,           // inf or nan arose from finite numbers
    singular,           // det A is exactly 0
    out_of_range,       // the worst entry's exact value lies beyond the floats
    entries_zeroed,     // the 1e-6 rule set entries of X to 0 whose exact values are not 0
    working_zeroed,     // the 1e-6 rule set entries to 0 during the passes, and without it X is right
    growth,             // without row exchanges the working grew; with them X is right
    no_row_exchanges,   // with row exchanges X is right, though the working did not grow much
    ill_conditioned,    // the condition number accounts for the digits lost
    small_entry,        // the worst entry is a small difference of much larger terms
    rounding,           // nothing above accounts for the digits lost
};

// An entry of X the 1e-6 rule set to 0 although the exact inverse is not 0 there.
struct zeroed_entry {
    std::size_t row = 0;  // counted from 0
    std::size_t column = 0;
    std::string exact_value;  // in three significant digits
};

struct accuracy {
    std::size_t order = 0;
    bool exact = false;          // measured against the exact inverse, not estimated
    bool singular = false;       // exact only: det A = 0
    double residual = 0;         // max |A.X - I| over all entries
    double condition = 0;        // ||A|| ||A^-1|| in the infinity norm; inf when A is singular
    std::string condition_text;  // the same in three significant digits
    // Of the worst entry of X as printed (six significant digits) and as stored, rounded
    // down to tenths, 0 to float_digits: relative to the exact entry, absolute where it is 0.
    double correct_digits = 0;
    double stored_digits = 0;
    std::size_t worst_row = 0;  // the worst printed entry, counted from 0
    std::size_t worst_column = 0;
    std::size_t worst_stored_row = 0;
    std::size_t worst_stored_column = 0;
    std::string worst_printed;         // that entry of X as the report prints it
    std::string worst_exact_value;     // and its exact value, in three significant digits
    double worst_entry_condition = 1;  // (|Y| |A| |Y|) / |Y| there: how badly that entry alone is conditioned
    bool inverse_finite = true;        // X holds no inf or nan
    bool every_entry_exact = false;    // every printed entry is the exact value
    bool worst_out_of_range = false;   // no float holds the worst entry's exact value (it rounds to 0 or inf)
    bool worst_wiped_by_rule = false;  // the worst entry is 0 where the exact value is below 1e-6
    std::vector<zeroed_entry> zeroed;  // in row-major order
    // The worst entry's digits as stored when single precision does without the 1e-6 rule,
    // and when it exchanges rows; measured only when they decide the cause.
    std::optional<double> digits_without_rule;
    std::optional<double> digits_with_exchanges;
    elimination_findings findings;
    accuracy_cause cause = accuracy_cause::none;
};

// The most significant decimal digits a float carries: 24 bits.
inline constexpr double float_digits = 7.2;
// The most a printed entry claims: the report prints six significant digits.
inline constexpr int printed_digits = 6;
// Fewer correct digits than this in any entry and the inverse is not to be trusted.
inline constexpr double trusted_digits = 3;
// The exact check's reach, in modular multiplications (exact_inverse_work): about a second
// on one core, plus a tenth or so of what writing the working of that order takes.
inline double largest_exact_work(std::size_t order)
{
    const double n = static_cast<double>(order);
    return 5e8 + 40 * n * n * n;
}

// `a` and `x` are n x n, row-major; `findings` is what the run that made x saw. Past
// `exact_work_limit` (largest_exact_work when not given) the check estimates.
accuracy check_accuracy(std::size_t order, const std::vector<float>& a, const std::vector<float>& x,
                        const elimination_findings& findings, std::optional<double> exact_work_limit = std::nullopt);
accuracy check_accuracy(const elimination_record& record);

bool trustworthy(const accuracy& result);
// One plain sentence: why the inverse must not be trusted, or how far it can be; A.X
// written with the sign for "times" when `unicode`, with * otherwise.
std::string accuracy_verdict(const accuracy& result, bool unicode);

// A number in at most three significant digits, as %.3g writes it.
std::string short_number(double value);
// Digits as the check shows them: one decimal, never "-0.0".
std::string digits_text(double digits);

// The estimate past the exact check's reach: X against an inverse in double precision.
void estimate_accuracy(const std::vector<float>& a, const std::vector<float>& x, accuracy& result);
// The inverse of `a` (n x n, row-major) by Gauss-Jordan elimination with partial pivoting
// in double precision; empty when a pivot is exactly zero.
std::optional<std::vector<double>> double_inverse(std::size_t order, const std::vector<float>& a);

} // namespace torvane
