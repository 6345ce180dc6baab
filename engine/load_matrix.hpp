#pragma once
// Reading "mat.data" into [A | I], and the one row operation the elimination rests on.

#include <cstdint>

namespace torvane {

// Reads N into `dimension`; a failed read leaves it unchanged.
void read_dimension();
// Sizes `matrix` for N = `dimension` > 0 (throws std::bad_alloc / std::length_error when
// it cannot be held) and reads the N x N entries, appending the identity to each row.
void read_entries();
// Both of the above: the entries are read only when N > 0.
void load_matrix();

// Row dst += factor x row src over the width of row 0, each entry evaluated in double and
// stored as float.
void add_scaled_row(std::uint32_t dst, std::uint32_t src, float factor);

} // namespace torvane
