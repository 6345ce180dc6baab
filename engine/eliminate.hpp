#pragma once
// Gauss-Jordan elimination of [A | I] into [I | A^-1] without row swaps: a tiny pivot is
// repaired by adding a later row to the pivot row. A step block is written after every
// pass of the first two phases; the normalisation writes one line break per row.

namespace torvane {

void eliminate_forward();  // makes the left half upper triangular: N - 1 passes
void eliminate_backward(); // clears the left half above the diagonal: N - 1 passes
void normalize_rows();     // divides every row by its diagonal entry

} // namespace torvane
