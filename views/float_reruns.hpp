#pragma once
// The single-precision inverse done again another way, so that the accuracy check can
// tell from facts, not guesses, what cost the run its digits: the same passes without the
// 1e-6 rule, and single precision with row exchanges.

#include <cstddef>
#include <vector>

namespace torvane {

// `a` is order x order, row-major; the results are order x order. Each factor and entry
// is evaluated in double and stored as float, as in the run.
//
// The run's own passes and repairs, except that a pivot is repaired only when it is 0 and
// no entry is ever set to 0.
std::vector<float> inverse_without_the_rule(std::size_t order, const std::vector<float>& a);
// Gauss-Jordan with partial pivoting: the largest entry of the column is the pivot.
std::vector<float> inverse_with_row_exchanges(std::size_t order, const std::vector<float>& a);

} // namespace torvane
