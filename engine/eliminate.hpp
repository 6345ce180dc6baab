#pragma once
// Gauss-Jordan elimination of [A | I] into [I | A^-1] without row swaps: a tiny pivot is
// repaired by adding a later row to the pivot row. After every pass of the first two
// phases the tiny entries are set to zero and a step block is written; the normalisation
// writes one line break per row. The run's step writer does the writing, and tells its
// watcher, if any (elimination_observer.hpp), of every step; the rows of a large matrix
// are updated on the run's two threads.

#include <cstdint>

namespace torvane {

class step_writer;
class two_threads;

// What the passes of one run work with; both outlive the elimination.
struct elimination_means {
    step_writer& steps;
    two_threads& threads;
};

void eliminate_forward(const elimination_means& means);  // makes the left half upper triangular: N - 1 passes
void eliminate_backward(const elimination_means& means); // clears the left half above the diagonal: N - 1 passes
void normalize_rows(step_writer& steps);     // divides every row by its diagonal entry

// The one row operation the elimination rests on: row dst += factor x row src over the
// width of the matrix, each entry evaluated in double and stored as float.
void add_scaled_row(std::uint32_t dst, std::uint32_t src, float factor);

} // namespace torvane
