#include "eliminate.hpp"

#include "arithmetic.hpp"
#include "elimination_observer.hpp"
#include "state.hpp"
#include "step_writer.hpp"
#include "tiny_entries.hpp"
#include "two_threads.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace torvane {

void add_scaled_row(std::uint32_t dst, std::uint32_t src, float factor)
{
    const std::size_t width = matrix.width();
    if (width == 0)
        return;
    float* target = matrix.row(dst);
    const float* source = matrix.row(src);
    const double f = factor;
    // The product of two floats is exact in double, so only the sum rounds before the store.
    if (std::isfinite(factor) && factor != 0.0f) {
        // Only a NaN in the source row makes the product NaN, and the sum then keeps it: any
        // other NaN comes from the target row alone, or from inf - inf.
        for (std::size_t c = 0; c < width; ++c) {
            const float sum = static_cast<float>(static_cast<double>(source[c]) * f + static_cast<double>(target[c]));
            target[c] = source[c] != source[c] ? source[c] : sum;
        }
        return;
    }
    for (std::size_t c = 0; c < width; ++c)
        target[c] = static_cast<float>(
            sum_keeping_first_nan(product_keeping_first_nan(source[c], f), static_cast<double>(target[c])));
}

namespace {

// The first later row, short of the last, that holds a usable entry in column j; the last
// row is taken untested when none does.
std::uint32_t repair_row(std::uint32_t j, std::uint32_t order)
{
    for (std::uint32_t k = j + 1; k + 1 < order; ++k)
        if (is_usable(matrix.at(k, j)))
            return k;
    return order - 1;
}

void repair_pivot(std::uint32_t j, std::uint32_t order, elimination_observer* watcher)
{
    const std::uint32_t k = repair_row(j, order);
    if (watcher)
        watcher->pivot_repaired(j, k, matrix.at(j, j));
    add_scaled_row(j, k, 1.0f);
}

// The multiple of the pivot row that clears column `pivot` of row `row`. The pivot is
// used as it is, even when zero: infinities and NaNs then spread, as they should show.
float clearing_factor(std::uint32_t row, std::uint32_t pivot)
{
    return stored_quotient(-matrix.at(row, pivot), matrix.at(pivot, pivot));
}

std::uint32_t current_order() { return dimension > 0 ? static_cast<std::uint32_t>(dimension) : 0; }

// A pass clears column `pivot` in the rows `clears` picks, then the 1e-6 rule cleans the
// matrix the next pass goes on from, and the cleaned matrix is logged as a step block.
// Each row reads only the pivot row, which the pass does not change, so every factor is
// known before the first row changes: a watcher is told of them all, in the order the
// rows are cleared (down from the pivot going forward, up going back), and the rows are
// then updated in any order, on two threads for a large matrix, each cleaned and its
// text brought up to date right after its update. The pivot row goes last, as every other
// row reads it as the last pass left it. With a watcher the rows are taken in order on this
// thread, so the places the 1e-6 rule changed come in row-major order.
template <class row_filter>
void run_pass(const elimination_means& means, pass_phase phase, std::uint32_t pivot, row_filter clears)
{
    elimination_observer* const watcher = means.steps.watcher();
    const std::uint32_t order = current_order();
    if (watcher)
        for (std::uint32_t k = 0; k < order; ++k) {
            const std::uint32_t row = phase == pass_phase::forward ? k : order - 1 - k;
            if (clears(row))
                watcher->rows_combined(row, pivot, clearing_factor(row, pivot));
        }
    std::vector<std::size_t> zeroed;
    const std::size_t width = matrix.width();
    const auto one_row = [&](std::size_t r) {
        const auto row = static_cast<std::uint32_t>(r);
        if (clears(row))
            add_scaled_row(row, pivot, clearing_factor(row, pivot));
        if (watcher)
            note_tiny_nonzero_places(matrix.row(r), width, r * width, zeroed);
        set_tiny_entries_to_zero(matrix.row(r), width);
        means.steps.row_ready(r);
    };
    const auto other_row = [&](std::size_t r) {
        if (r != pivot)
            one_row(r);
    };
    means.steps.begin_step();
    if (watcher)
        for (std::size_t r = 0; r < order; ++r)
            other_row(r);
    else
        means.threads.for_every_row(order, width, other_row);
    if (pivot < order)
        one_row(pivot);
    means.steps.end_step();
    if (watcher) {
        std::sort(zeroed.begin(), zeroed.end());  // the pivot row's came last
        watcher->tiny_entries_zeroed(zeroed);
        watcher->pass_ended(step_count, phase, pivot, matrix);
    }
}

} // namespace

void eliminate_forward(const elimination_means& means)
{
    elimination_observer* const watcher = means.steps.watcher();
    if (watcher)
        watcher->elimination_started(matrix);
    const std::uint32_t order = current_order();
    if (order <= 1)
        return;
    for (std::uint32_t j = 0; j + 1 < order; ++j) {
        if (is_tiny(matrix.at(j, j)))
            repair_pivot(j, order, watcher);
        run_pass(means, pass_phase::forward, j, [j](std::uint32_t row) { return row > j; });
    }
}

void eliminate_backward(const elimination_means& means)
{
    for (std::uint32_t p = current_order(); p-- > 1;)
        run_pass(means, pass_phase::backward, p, [p](std::uint32_t row) { return row < p; });
}

void normalize_rows(step_writer& steps)
{
    elimination_observer* const watcher = steps.watcher();
    const std::uint32_t order = current_order();
    const std::size_t width = 2 * std::size_t{order};
    // The rows are built apart, so every entry of a row is divided by the diagonal value
    // as `matrix` holds it; the diagonal entry itself becomes exactly 1.
    normalized.resize(order, width);
    row_buffer.reserve(width);
    for (std::uint32_t i = 0; i < order; ++i) {
        const float* row = matrix.row(i);
        const float diagonal = row[i];
        if (watcher)
            watcher->row_normalized(i, diagonal);
        row_buffer.clear();
        for (std::size_t c = 0; c < width; ++c) {
            const float v = stored_quotient(row[c], diagonal);
            row_buffer.push_back(is_tiny(v) ? 0.0f : v);
        }
        std::copy(row_buffer.begin(), row_buffer.end(), normalized.row(i));
        steps.end_normalized_row();
    }
    if (order > 0)
        std::copy(normalized.row(0), normalized.row(0) + order * width, matrix.row(0));
    normalized.clear();  // the copy in `matrix` is the one kept: the memory goes back at once
    if (watcher)
        watcher->elimination_finished(matrix);
}

} // namespace torvane
