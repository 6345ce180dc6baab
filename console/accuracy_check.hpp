#pragma once
// How far a single-precision inverse X of A can be trusted, judged in double precision
// against an inverse Y computed with partial pivoting (row exchanges): every entry of X
// against the same entry of Y, and the residual A.X - I. When X must not be trusted, the
// check names the cause from what the run saw.

#include "elimination_findings.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace torvane {

class elimination_record;

enum class accuracy_cause {
    none,               // X can be trusted
    input_not_finite,   // A as read holds inf or nan
    zero_pivot,         // the run divided by a zero pivot
    overflow,           // inf or nan arose from finite numbers
    singular,           // A has no inverse even in double precision
    entries_zeroed,     // the 1e-6 rule set entries of X to 0 whose true values are not 0
    ill_conditioned,    // the condition number accounts for the digits lost
    growth,             // the working grew without row exchanges; the condition number is modest
    small_entry,        // the worst entry is a small difference of much larger terms
    working_zeroed,     // the 1e-6 rule set entries to 0 during the passes
    rounding,           // nothing above accounts for the digits lost
};

// An entry of X the 1e-6 rule set to 0 although the true inverse holds `true_value` there.
struct zeroed_entry {
    std::size_t row = 0;  // counted from 0
    std::size_t column = 0;
    double true_value = 0;
};

struct accuracy {
    std::size_t order = 0;
    double residual = 0;          // max |A.X - I| over all entries
    double residual_digits = 0;   // how closely A.X - I cancels against the products summed into it
    double condition = 0;         // ||A|| ||A^-1|| in the infinity norm; inf when A is singular
    // Of the worst entry of X, rounded down to tenths, 0 to float_digits: a relative error
    // against Y, or an absolute one where Y's entry is 0 as far as double precision can tell.
    double correct_digits = 0;
    std::size_t worst_row = 0;  // where that entry is, counted from 0
    std::size_t worst_column = 0;
    double worst_true_value = 0;
    double worst_entry_condition = 1;  // (|Y| |A| |Y|) / |Y| there: how badly that entry alone is conditioned
    bool inverse_finite = true;        // X holds no inf or nan
    std::vector<zeroed_entry> zeroed;  // in row-major order
    elimination_findings findings;
    accuracy_cause cause = accuracy_cause::none;
};

// The most significant decimal digits a float carries: 24 bits.
inline constexpr double float_digits = 7.2;
// Fewer correct digits than this, in any entry or in the residual, and the inverse is not
// to be trusted.
inline constexpr double trusted_digits = 3;

// `a` and `x` are n x n, row-major; `findings` is what the run that made x saw.
accuracy check_accuracy(std::size_t order, const std::vector<float>& a, const std::vector<float>& x,
                        const elimination_findings& findings);
accuracy check_accuracy(const elimination_record& record);

// The inverse of `a` (n x n, row-major) by Gauss-Jordan elimination with partial pivoting
// in double precision; empty when a pivot is exactly zero.
std::optional<std::vector<double>> double_inverse(std::size_t order, const std::vector<float>& a);

bool trustworthy(const accuracy& result);
// One plain sentence: why the inverse must not be trusted, or how far it can be; A.X
// written with the sign for "times" when `unicode`, with * otherwise.
std::string accuracy_verdict(const accuracy& result, bool unicode);

// A number in at most three significant digits, as %.3g writes it.
std::string short_number(double value);
// Digits as the check shows them: one decimal, never "-0.0".
std::string digits_text(double digits);

} // namespace torvane
