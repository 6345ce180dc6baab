#pragma once
// The exact inverse of A as read. Every float is a binary fraction, so scaling row i by
// 2^row_shift[i] turns A into a matrix B of whole numbers, and A^-1 = B^-1 D with D the
// diagonal of those powers of two. B^-1 = adj(B) / det(B); the determinant and the
// adjugate are whole numbers no larger than Hadamard's bound, found exactly by elimination
// modulo enough primes and the Chinese remainder theorem. Singular means det(B) = 0.

#include "big_number.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace torvane {

// A fraction with a positive denominator.
struct exact_fraction {
    big_int numerator;
    big_int denominator;
};

struct exact_inverse {
    std::size_t order = 0;
    bool singular = false;
    big_int determinant;             // of B; 0 when singular
    std::vector<big_int> adjugate;   // of B, order x order, row-major; empty when singular
    std::vector<std::int32_t> row_shift;

    // Entry (row, column) of A^-1.
    exact_fraction entry(std::size_t row, std::size_t column) const;
};

// The size of the task, in modular multiplications: order^3 for each prime that
// Hadamard's bound calls for, and putting each of the order^2 entries together from its
// residues, which costs about twice the square of the number of primes. `a` is
// order x order, finite.
double exact_inverse_work(std::size_t order, const std::vector<float>& a);

// `a` is order x order, row-major, every entry finite.
exact_inverse invert_exactly(std::size_t order, const std::vector<float>& a);

} // namespace torvane
