#include "float_reruns.hpp"

#include "arithmetic.hpp"

#include <cmath>
#include <utility>

namespace torvane {
namespace {

// [A | I], N x 2N.
struct augmented {
    std::size_t n;
    std::vector<float> m;

    augmented(std::size_t order, const std::vector<float>& a) : n(order), m(order * 2 * order, 0.0f)
    {
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j)
                m[i * 2 * n + j] = a[i * n + j];
            m[i * 2 * n + n + i] = 1.0f;
        }
    }
    float& at(std::size_t row, std::size_t column) { return m[row * 2 * n + column]; }

    void add_scaled_row(std::size_t target, std::size_t source, float factor)
    {
        for (std::size_t c = 0; c < 2 * n; ++c)
            at(target, c) = static_cast<float>(
                sum_keeping_first_nan(at(target, c), product_keeping_first_nan(factor, at(source, c))));
    }
    // row target -= (entry / pivot) x row pivot_row, clearing column `column`.
    void clear_with(std::size_t target, std::size_t pivot_row, std::size_t column)
    {
        add_scaled_row(target, pivot_row, stored_quotient(-at(target, column), at(pivot_row, column)));
    }
    std::vector<float> normalised_right_half()
    {
        std::vector<float> x(n * n);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                x[i * n + j] = stored_quotient(at(i, n + j), at(i, i));
        return x;
    }
};

} // namespace

std::vector<float> inverse_without_the_rule(std::size_t order, const std::vector<float>& a)
{
    augmented w(order, a);
    for (std::size_t j = 0; j + 1 < order; ++j) {
        if (w.at(j, j) == 0) {
            std::size_t k = j + 1;
            while (k + 1 < order && w.at(k, j) == 0)
                ++k;
            w.add_scaled_row(j, k, 1.0f);
        }
        for (std::size_t i = j + 1; i < order; ++i)
            w.clear_with(i, j, j);
    }
    for (std::size_t p = order; p-- > 1;)
        for (std::size_t i = p; i-- > 0;)
            w.clear_with(i, p, p);
    return w.normalised_right_half();
}

std::vector<float> inverse_with_row_exchanges(std::size_t order, const std::vector<float>& a)
{
    augmented w(order, a);
    for (std::size_t j = 0; j < order; ++j) {
        std::size_t best = j;
        for (std::size_t i = j + 1; i < order; ++i)
            if (std::fabs(w.at(i, j)) > std::fabs(w.at(best, j)))
                best = i;
        for (std::size_t c = 0; c < 2 * order; ++c)
            std::swap(w.at(j, c), w.at(best, c));
        for (std::size_t i = 0; i < order; ++i)
            if (i != j)
                w.clear_with(i, j, j);
    }
    return w.normalised_right_half();
}

} // namespace torvane
