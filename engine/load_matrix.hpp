#pragma once
// Reading "mat.data" into [A | I].

namespace torvane {

// Reads N into `dimension`; a failed read leaves it unchanged.
void read_dimension();
// Sizes `matrix` for N = `dimension` > 0 (throws std::bad_alloc / std::length_error when
// it cannot be held) and reads the N x N entries, appending the identity to each row.
void read_entries();
// Both of the above: the entries are read only when N > 0.
void load_matrix();

} // namespace torvane
