#pragma once
// The working in exact fractions beside the single-precision run, pass by pass: what the
// text view (--exact), the page and the LaTeX document show. For every entry its exact
// value and the run's float; for every pass the row operations in fractions and where the
// run did otherwise (a pivot repaired or not, entries the 1e-6 rule set to 0).

#include "elimination_record.hpp"
#include "exact_working.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torvane {

// The largest order whose working is shown in fractions: the fractions of a larger one
// run to hundreds of digits, and the table to hundreds of columns.
inline constexpr std::int32_t largest_exact_order = 30;

struct exact_cell {
    big_rational exact;
    float single = 0;
    bool other_value = false;      // the float is not the exact value
    bool printed_differs = false;  // nor are its six printed digits the exact value's
};

struct exact_operation {
    std::uint32_t target;
    std::uint32_t source;
    big_rational factor;
    std::optional<float> single;  // the run's factor, where it is another number
};

struct exact_step {
    std::int32_t step = 0;
    bool forward = true;
    std::uint32_t pivot = 0;
    std::optional<std::uint32_t> repaired_with;
    std::vector<exact_operation> operations;
    // Where single precision did otherwise in this pass, in words.
    std::vector<std::string> differences;
    std::vector<exact_cell> cells;  // N x 2N
    bool divided_by_zero = false;
};

struct exact_account {
    std::uint32_t order = 0;
    bool input_finite = true;                // false: A as read holds inf or nan, and nothing else is filled
    std::vector<exact_cell> start;
    std::vector<exact_step> steps;
    std::vector<exact_cell> divisors;        // empty when a pass divided by zero
    std::vector<exact_cell> inverse;         // N x N, exact and X; empty when A is singular
    std::vector<double> digits;              // per entry of X as printed; inf where it is the exact value
};

// `passes` are the run's passes in order, as its record told them.
exact_account account_exactly(const elimination_record& record, const std::vector<pass_record>& passes);

// The exact value's text as the report would print it: six significant digits.
std::string printed_exact(const big_rational& value);

} // namespace torvane
