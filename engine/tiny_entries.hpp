#pragma once
// The 1e-6 rule at the end of every elimination pass: entries that are tiny become +0.0 in
// the matrix itself, so the next pass, and the report, start from the cleaned matrix.

#include "matrix.hpp"

#include <cstddef>
#include <vector>

namespace torvane {

// Sets every tiny entry of the N x 2N matrix to +0.0; large matrices are shared between
// two threads.
void set_tiny_entries_to_zero(working_matrix& m);
// The same for one row of `width` entries.
void set_tiny_entries_to_zero(float* row, std::size_t width);

// The row-major places of the entries that set_tiny_entries_to_zero would change in value:
// tiny and not zero. For the views only; a plain run never looks.
std::vector<std::size_t> tiny_nonzero_places(const working_matrix& m);

} // namespace torvane
