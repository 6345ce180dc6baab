#pragma once
// The 1e-6 rule at the end of every elimination pass: entries that are tiny become +0.0 in
// the matrix itself, so the next pass, and the report, start from the cleaned matrix.

#include <cstddef>
#include <vector>

namespace torvane {

// Sets every tiny entry of a row of `width` entries to +0.0.
void set_tiny_entries_to_zero(float* row, std::size_t width);

// Appends to `places` the places (`first_place` + column) of the entries of the row that
// set_tiny_entries_to_zero would change in value: tiny and not zero. For the views only;
// a plain run never looks.
void note_tiny_nonzero_places(const float* row, std::size_t width, std::size_t first_place,
                              std::vector<std::size_t>& places);

} // namespace torvane
