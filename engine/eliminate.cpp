#include "eliminate.hpp"

#include "arithmetic.hpp"
#include "load_matrix.hpp"
#include "report.hpp"
#include "state.hpp"

#include <cstdint>

namespace torvane {
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

// Adds the multiple of the pivot row that clears column `pivot` of row `i`. The pivot is
// used as it is, even when zero: infinities and NaNs then spread, as they should show.
void clear_entry(std::uint32_t i, std::uint32_t pivot)
{
    const float factor = stored_quotient(-matrix.at(i, pivot), matrix.at(pivot, pivot));
    add_scaled_row(i, pivot, factor);
}

std::uint32_t order() { return dimension > 0 ? static_cast<std::uint32_t>(dimension) : 0; }

} // namespace

void eliminate_forward()
{
    const std::uint32_t n = order();
    if (n <= 1)
        return;
    for (std::uint32_t j = 0; j + 1 < n; ++j) {
        if (is_tiny(matrix.at(j, j)))
            add_scaled_row(j, repair_row(j, n), 1.0f);
        for (std::uint32_t i = j + 1; i < n; ++i)
            clear_entry(i, j);
        write_step();
    }
}

void eliminate_backward()
{
    for (std::uint32_t p = order(); p-- > 1;) {
        for (std::uint32_t i = p; i-- > 0;)
            clear_entry(i, p);
        write_step();
    }
}

void normalize_rows()
{
    const std::uint32_t n = order();
    for (std::uint32_t i = 0; i < n; ++i) {
        float* row = matrix.row(i);
        // Taken before the loop overwrites it: every entry of the row is divided by the
        // same diagonal value, so normalising in place needs no second matrix.
        const float diagonal = row[i];
        for (std::uint32_t c = 0; c < 2 * n; ++c) {
            const float v = stored_quotient(row[c], diagonal);
            row[c] = is_tiny(v) ? 0.0f : v;
        }
        out_file.write(report_text::line_break);
    }
}

} // namespace torvane
