#include "eliminate.hpp"

#include "arithmetic.hpp"
#include "elimination_observer.hpp"
#include "report.hpp"
#include "state.hpp"
#include "tiny_entries.hpp"

#include <cmath>
#include <cstdint>

namespace torvane {

elimination_observer* elimination_watcher = nullptr;

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
std::uint32_t repair_row(std::uint32_t j, std::uint32_t n)
{
    for (std::uint32_t k = j + 1; k + 1 < n; ++k)
        if (is_usable(matrix.at(k, j)))
            return k;
    return n - 1;
}

void repair_pivot(std::uint32_t j, std::uint32_t n, elimination_observer* watcher)
{
    const std::uint32_t k = repair_row(j, n);
    if (watcher)
        watcher->pivot_repaired(j, k, matrix.at(j, j));
    add_scaled_row(j, k, 1.0f);
}

// Adds the multiple of the pivot row that clears column `pivot` of row `i`. The pivot is
// used as it is, even when zero: infinities and NaNs then spread, as they should show.
void clear_entry(std::uint32_t i, std::uint32_t pivot, elimination_observer* watcher)
{
    const float factor = stored_quotient(-matrix.at(i, pivot), matrix.at(pivot, pivot));
    if (watcher)
        watcher->rows_combined(i, pivot, factor);
    add_scaled_row(i, pivot, factor);
}

std::uint32_t order() { return dimension > 0 ? static_cast<std::uint32_t>(dimension) : 0; }

// A pass clears column `pivot` in the rows `clears` picks, then the 1e-6 rule cleans the
// matrix the next pass goes on from, and the cleaned matrix is logged as a step block.
// Each row reads only the pivot row, so without a watcher each is cleared, cleaned and
// written in one go, on two threads for a large matrix; the pivot row, which a repair
// may have left with tiny entries that the others must still see, is cleaned last. A
// watcher is told of every combination
// in order, and of the tiny entries before they are cleaned, so it gets the steps one by
// one.
template <class row_filter>
void run_pass(pass_phase phase, std::uint32_t pivot, row_filter clears, elimination_observer* watcher)
{
    if (!watcher) {
        clean_and_write_step(
            [pivot, clears](std::uint32_t row) {
                if (clears(row))
                    clear_entry(row, pivot, nullptr);
            },
            pivot);
        return;
    }
    const std::uint32_t n = order();
    for (std::uint32_t k = 0; k < n; ++k) {
        // In the order the rows are cleared: down from the pivot going forward, up going back.
        const std::uint32_t row = phase == pass_phase::forward ? k : n - 1 - k;
        if (clears(row))
            clear_entry(row, pivot, watcher);
    }
    watcher->tiny_entries_zeroed(tiny_nonzero_places(matrix));
    clean_and_write_step();
    watcher->pass_ended(step_count, phase, pivot, matrix);
}

} // namespace

void eliminate_forward()
{
    elimination_observer* const watcher = elimination_watcher;
    if (watcher)
        watcher->elimination_started(matrix);
    const std::uint32_t n = order();
    if (n <= 1)
        return;
    for (std::uint32_t j = 0; j + 1 < n; ++j) {
        if (is_tiny(matrix.at(j, j)))
            repair_pivot(j, n, watcher);
        run_pass(pass_phase::forward, j, [j](std::uint32_t row) { return row > j; }, watcher);
    }
}

void eliminate_backward()
{
    elimination_observer* const watcher = elimination_watcher;
    for (std::uint32_t p = order(); p-- > 1;) {
        run_pass(pass_phase::backward, p, [p](std::uint32_t row) { return row < p; }, watcher);
    }
}

void normalize_rows()
{
    elimination_observer* const watcher = elimination_watcher;
    const std::uint32_t n = order();
    for (std::uint32_t i = 0; i < n; ++i) {
        float* row = matrix.row(i);
        // Taken before the loop overwrites it: every entry of the row is divided by the
        // same diagonal value, so normalising in place needs no second matrix.
        const float diagonal = row[i];
        if (watcher)
            watcher->row_normalised(i, diagonal);
        for (std::uint32_t c = 0; c < 2 * n; ++c) {
            const float v = stored_quotient(row[c], diagonal);
            row[c] = is_tiny(v) ? 0.0f : v;
        }
        out_file.write(report_text::line_break);
    }
    if (watcher)
        watcher->elimination_finished(matrix);
}

} // namespace torvane
