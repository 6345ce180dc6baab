#pragma once
// What the elimination tells a watcher about its work, for the views that explain it.
// Nobody watches a plain run: the elimination tests for a watcher once per pass and once
// per normalised row, never per entry, so a run without one pays nothing for this.
// Rows and columns are counted from 0 here; the views count them from 1 for the reader.

#include "matrix.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace torvane {

enum class pass_phase { forward, backward };

class elimination_observer {
public:
    virtual ~elimination_observer() = default;

    // Asked once the order is known, before the first pass: a watcher that will not follow
    // this run (its view cannot show the order, say) is told nothing, and the run goes as
    // a plain one.
    virtual bool follows_this_run() const { return true; }

    // Before the first pass: the matrix [A | I] as loaded.
    virtual void elimination_started(const working_matrix& loaded) = 0;
    // The pivot of row `pivot_row` was tiny (`tiny_pivot`), so row `added_row` is about
    // to be added to it.
    virtual void pivot_repaired(std::uint32_t pivot_row, std::uint32_t added_row, float tiny_pivot) = 0;
    // Row `target` is about to become row `target` + `factor` x row `source`.
    virtual void rows_combined(std::uint32_t target, std::uint32_t source, float factor) = 0;
    // The 1e-6 rule set these entries (row-major places in the N x 2N matrix, in order)
    // to +0.0: the ones that were tiny and not already zero. Told before pass_ended.
    virtual void tiny_entries_zeroed(const std::vector<std::size_t>& places) = 0;
    // A pass is over and its step block written; `result` is the matrix the block shows.
    virtual void pass_ended(std::int32_t step, pass_phase phase, std::uint32_t pivot, const working_matrix& result) = 0;
    // Row `row` is being divided by `divisor`, its diagonal entry.
    virtual void row_normalized(std::uint32_t row, float divisor) = 0;
    // The normalisation is over: the right half of `result` is the inverse.
    virtual void elimination_finished(const working_matrix& result) = 0;
};

} // namespace torvane
