// Past the exact check's reach: X against an inverse in double precision. Double
// precision cannot vouch for every entry of X (a tiny true entry, a singular matrix it
// calls invertible), so this is an estimate, and the check never calls X trustworthy on it.

#include "accuracy_check.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace torvane {
namespace {

template <class T> double infinity_norm(std::size_t order, const std::vector<T>& m)
{
    double norm = 0;
    for (std::size_t i = 0; i < order; ++i) {
        double row = 0;
        for (std::size_t j = 0; j < order; ++j)
            row += std::fabs(static_cast<double>(m[i * order + j]));
        norm = std::max(norm, row);
    }
    return norm;
}

double estimated_digits(double error)
{
    const double digits = error == 0 ? float_digits : std::clamp(-std::log10(error), 0.0, float_digits);
    return std::isnan(error) ? 0 : std::floor(digits * 10 + 1e-9) / 10;
}

} // namespace

std::optional<std::vector<double>> double_inverse(std::size_t order, const std::vector<float>& a)
{
    const std::size_t width = 2 * order;
    std::vector<double> m(order * width, 0.0);
    for (std::size_t i = 0; i < order; ++i) {
        for (std::size_t j = 0; j < order; ++j)
            m[i * width + j] = a[i * order + j];
        m[i * width + order + i] = 1.0;
    }
    for (std::size_t j = 0; j < order; ++j) {
        std::size_t best = j;
        for (std::size_t i = j + 1; i < order; ++i)
            if (std::fabs(m[i * width + j]) > std::fabs(m[best * width + j]))
                best = i;
        if (!(m[best * width + j] != 0.0))
            return std::nullopt;
        for (std::size_t c = 0; c < width; ++c)
            std::swap(m[j * width + c], m[best * width + c]);
        const double pivot = m[j * width + j];
        for (std::size_t c = 0; c < width; ++c)
            m[j * width + c] /= pivot;
        for (std::size_t i = 0; i < order; ++i) {
            const double factor = m[i * width + j];
            if (i == j || factor == 0.0)
                continue;
            for (std::size_t c = 0; c < width; ++c)
                m[i * width + c] -= factor * m[j * width + c];
        }
    }
    std::vector<double> inverse(order * order);
    for (std::size_t i = 0; i < order; ++i)
        for (std::size_t j = 0; j < order; ++j)
            inverse[i * order + j] = m[i * width + order + j];
    return inverse;
}

void estimate_accuracy(const std::vector<float>& a, const std::vector<float>& x, accuracy& result)
{
    const std::size_t n = result.order;
    const auto y = double_inverse(n, a);
    if (!y) {
        result.condition = std::numeric_limits<double>::infinity();
        result.condition_text = "inf";
        return;
    }
    result.condition = infinity_norm(n, a) * infinity_norm(n, *y);
    result.condition_text = short_number(result.condition);
    result.correct_digits = float_digits;
    for (std::size_t i = 0; i < n * n; ++i) {
        const double error = std::fabs(x[i] - (*y)[i]);
        const double digits = std::isfinite(x[i]) ? estimated_digits((*y)[i] == 0 ? error : error / std::fabs((*y)[i])) : 0;
        if (digits < result.correct_digits) {
            result.correct_digits = digits;
            result.worst_row = i / n;
            result.worst_column = i % n;
            result.worst_exact_value = short_number((*y)[i]);
            result.worst_printed = short_number(x[i]);
        }
    }
    result.stored_digits = result.correct_digits;
    result.worst_stored_row = result.worst_row;
    result.worst_stored_column = result.worst_column;
}

} // namespace torvane
