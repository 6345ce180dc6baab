#pragma once
// How far a single-precision inverse X of A can be trusted, judged in double precision:
// the residual of A.X - I, the condition number of A, and the correct digits of X against
// a double-precision inverse computed with partial pivoting (row exchanges).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace torvane {

struct accuracy {
    double residual = 0;         // max |A.X - I| over all entries
    double condition = 0;        // ||A|| ||A^-1|| in the infinity norm; inf when A is singular
    double correct_digits = 0;   // of the worst entry of X, from 0 to float_digits
    std::size_t worst_row = 0;   // where that entry is, counted from 0
    std::size_t worst_column = 0;
    bool inverse_finite = true;  // X holds no inf or nan
};

// The most significant decimal digits a float carries: 24 bits.
inline constexpr double float_digits = 7.2;

// `a` and `x` are n x n, row-major.
accuracy check_accuracy(std::size_t n, const std::vector<float>& a, const std::vector<float>& x);

// The inverse of `a` (n x n, row-major) by Gauss-Jordan elimination with partial pivoting
// in double precision; empty when a pivot is exactly zero.
std::optional<std::vector<double>> double_inverse(std::size_t n, const std::vector<float>& a);

// Fewer correct digits than this and the inverse is not to be trusted.
inline constexpr double trusted_digits = 3;

// One plain sentence: why the inverse must not be trusted, or how far it can be.
std::string accuracy_verdict(const accuracy& result);
bool trustworthy(const accuracy& result);

} // namespace torvane
