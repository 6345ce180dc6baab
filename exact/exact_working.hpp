#pragma once
// The elimination's passes in exact fractions, as a student does them by hand: the same
// passes, pivots and row repairs as the single-precision run, with exact zero tests where
// that run uses the 1e-6 rule. Without a zero pivot that no repair mends (a singular A),
// it ends with [I | A^-1] exactly.

#include "big_number.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace torvane {

struct exact_row_step {
    std::uint32_t target;
    big_rational factor;  // row target += factor x the pivot row
};

struct exact_pass {
    std::int32_t step = 0;  // numbered as the report's step blocks
    bool forward = true;
    std::uint32_t pivot = 0;
    std::optional<std::uint32_t> repaired_with;  // the row added to a pivot row that was exactly 0
    std::vector<exact_row_step> operations;
    std::vector<big_rational> after;             // N x 2N, row-major
    bool divided_by_zero = false;                // the pivot stayed 0: no operation was done
};

class exact_working {
public:
    // [A | I] as loaded: N x 2N finite floats, row-major.
    exact_working(std::uint32_t order, const std::vector<float>& loaded);

    std::uint32_t order() const { return order_; }
    const std::vector<big_rational>& start() const { return start_; }
    // The passes in the run's order: forward steps 1 .. N-1, backward steps N .. 2N-2,
    // ending early after a pass that divided by zero.
    const std::vector<exact_pass>& passes() const { return passes_; }
    // Each row's diagonal entry and [I | A^-1], when no pivot was 0.
    const std::vector<big_rational>& divisors() const { return divisors_; }
    const std::optional<std::vector<big_rational>>& result() const { return result_; }

private:
    bool forward_pass(std::uint32_t j, std::vector<big_rational>& m);
    bool backward_pass(std::uint32_t p, std::vector<big_rational>& m);
    bool clear_column(exact_pass pass, const std::vector<std::uint32_t>& rows, std::vector<big_rational>& m);
    void add_scaled_row(std::vector<big_rational>& m, std::uint32_t target, std::uint32_t source,
                        const big_rational& factor) const;

    std::uint32_t order_;
    std::vector<big_rational> start_;
    std::vector<exact_pass> passes_;
    std::vector<big_rational> divisors_;
    std::optional<std::vector<big_rational>> result_;
};

// The exact value of a float.
big_rational rational_of(float value);

} // namespace torvane
