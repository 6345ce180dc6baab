#include "exact_working.hpp"

#include "correct_digits.hpp"

#include <algorithm>

namespace torvane {

namespace {

// first, first + 1, ... end - 1.
std::vector<std::uint32_t> rows_from(std::uint32_t first, std::uint32_t end)
{
    std::vector<std::uint32_t> rows;
    for (std::uint32_t i = first; i < end; ++i)
        rows.push_back(i);
    return rows;
}

} // namespace

big_rational rational_of(float value)
{
    exact_fraction f = fraction_of(value);
    return big_rational(f.numerator, f.denominator);
}

exact_working::exact_working(std::uint32_t order, const std::vector<float>& loaded) : order_(order)
{
    start_.reserve(loaded.size());
    for (const float v : loaded)
        start_.push_back(rational_of(v));
    std::vector<big_rational> m = start_;
    bool going = true;
    for (std::uint32_t j = 0; going && order > 1 && j + 1 < order; ++j)
        going = forward_pass(j, m);
    for (std::uint32_t p = order - 1; going && p >= 1; --p)
        going = backward_pass(p, m);
    if (!going)
        return;
    const std::size_t width = 2 * std::size_t{order};
    for (std::size_t i = 0; i < order; ++i) {
        const big_rational divisor = m[i * width + i];
        divisors_.push_back(divisor);
        if (divisor == 0)
            return;
        for (std::size_t c = 0; c < width; ++c)
            m[i * width + c] /= divisor;
    }
    result_ = std::move(m);
}

void exact_working::add_scaled_row(std::vector<big_rational>& m, std::uint32_t target, std::uint32_t source,
                                   const big_rational& factor) const
{
    const std::size_t width = 2 * std::size_t{order_};
    if (factor == 0)
        return;
    for (std::size_t c = 0; c < width; ++c)
        if (m[source * width + c] != 0)
            m[target * width + c] += factor * m[source * width + c];
}

// The pivot search of the single-precision run, with "usable" meaning "not 0": the first
// row below with a non-zero entry, short of the last row, which is taken untested.
bool exact_working::forward_pass(std::uint32_t j, std::vector<big_rational>& m)
{
    const std::size_t width = 2 * std::size_t{order_};
    exact_pass pass{static_cast<std::int32_t>(j + 1), true, j, {}, {}, {}, false};
    if (m[j * width + j] == 0) {
        std::uint32_t k = j + 1;
        while (k + 1 < order_ && m[k * width + j] == 0)
            ++k;
        add_scaled_row(m, j, k, 1);
        pass.repaired_with = k;
    }
    return clear_column(std::move(pass), rows_from(j + 1, order_), m);
}

bool exact_working::backward_pass(std::uint32_t p, std::vector<big_rational>& m)
{
    exact_pass pass{static_cast<std::int32_t>(2 * order_ - 1 - p), false, p, {}, {}, {}, false};
    std::vector<std::uint32_t> above = rows_from(0, p);
    std::reverse(above.begin(), above.end());
    return clear_column(std::move(pass), above, m);
}

// Rows `rows`, in that order, each cleared in the pass's pivot column by the pivot row;
// nothing is done when the pivot is 0.
bool exact_working::clear_column(exact_pass pass, const std::vector<std::uint32_t>& rows, std::vector<big_rational>& m)
{
    const std::size_t width = 2 * std::size_t{order_};
    const std::uint32_t p = pass.pivot;
    const big_rational pivot = m[p * width + p];
    pass.divided_by_zero = pivot == 0;
    for (std::size_t k = 0; k < rows.size() && !pass.divided_by_zero; ++k) {
        const std::uint32_t i = rows[k];
        big_rational factor = -m[i * width + p] / pivot;
        add_scaled_row(m, i, p, factor);
        pass.operations.push_back({i, std::move(factor)});
    }
    pass.after = m;
    passes_.push_back(std::move(pass));
    return !passes_.back().divided_by_zero;
}

} // namespace torvane
