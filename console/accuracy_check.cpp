#include "accuracy_check.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace torvane {
namespace {

double residual_of(std::size_t n, const std::vector<float>& a, const std::vector<float>& x)
{
    double worst = 0;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) {
            double sum = i == j ? -1.0 : 0.0;
            for (std::size_t k = 0; k < n; ++k)
                sum += static_cast<double>(a[i * n + k]) * static_cast<double>(x[k * n + j]);
            // A nan must not hide behind max(): it makes the residual nan.
            if (!(std::fabs(sum) <= worst))
                worst = std::fabs(sum);
        }
    return worst;
}

template <class T> double infinity_norm(std::size_t n, const std::vector<T>& m)
{
    double norm = 0;
    for (std::size_t i = 0; i < n; ++i) {
        double row = 0;
        for (std::size_t j = 0; j < n; ++j)
            row += std::fabs(static_cast<double>(m[i * n + j]));
        norm = std::max(norm, row);
    }
    return norm;
}

void swap_rows(std::vector<double>& m, std::size_t width, std::size_t a, std::size_t b)
{
    for (std::size_t c = 0; c < width; ++c)
        std::swap(m[a * width + c], m[b * width + c]);
}

// Sets the correct digits of `x` against `y`: each entry's error is taken relative to its
// own size, but never to less than a float's resolution of the largest entry, so an entry
// that should be 0 is not judged by digits no float could hold.
void compare_with(std::size_t n, const std::vector<float>& x, const std::vector<double>& y, accuracy& result)
{
    double largest = 0;
    for (const double v : y)
        largest = std::max(largest, std::fabs(v));
    const double floor = largest * std::ldexp(1.0, -24);
    double worst = 0;
    for (std::size_t i = 0; i < n * n; ++i) {
        const double scale = std::max(std::fabs(y[i]), floor);
        const double error = scale > 0 ? std::fabs(x[i] - y[i]) / scale : std::fabs(static_cast<double>(x[i]));
        if (!(error <= worst)) {
            worst = error;
            result.worst_row = i / n;
            result.worst_column = i % n;
        }
    }
    const double digits = worst == 0 ? float_digits : -std::log10(worst);
    result.correct_digits = std::isnan(digits) ? 0 : std::clamp(digits, 0.0, float_digits);
}

} // namespace

std::optional<std::vector<double>> double_inverse(std::size_t n, const std::vector<float>& a)
{
    const std::size_t width = 2 * n;
    std::vector<double> m(n * width, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j)
            m[i * width + j] = a[i * n + j];
        m[i * width + n + i] = 1.0;
    }
    for (std::size_t j = 0; j < n; ++j) {
        std::size_t best = j;
        for (std::size_t i = j + 1; i < n; ++i)
            if (std::fabs(m[i * width + j]) > std::fabs(m[best * width + j]))
                best = i;
        if (!(m[best * width + j] != 0.0))
            return std::nullopt;
        swap_rows(m, width, j, best);
        const double pivot = m[j * width + j];
        for (std::size_t c = 0; c < width; ++c)
            m[j * width + c] /= pivot;
        for (std::size_t i = 0; i < n; ++i) {
            const double factor = m[i * width + j];
            if (i == j || factor == 0.0)
                continue;
            for (std::size_t c = 0; c < width; ++c)
                m[i * width + c] -= factor * m[j * width + c];
        }
    }
    std::vector<double> inverse(n * n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            inverse[i * n + j] = m[i * width + n + j];
    return inverse;
}

accuracy check_accuracy(std::size_t n, const std::vector<float>& a, const std::vector<float>& x)
{
    accuracy result;
    result.residual = residual_of(n, a, x);
    result.inverse_finite = std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); });
    const auto reference = double_inverse(n, a);
    if (!reference) {
        result.condition = std::numeric_limits<double>::infinity();
        return result;
    }
    result.condition = infinity_norm(n, a) * infinity_norm(n, *reference);
    compare_with(n, x, *reference, result);
    if (!result.inverse_finite)
        result.correct_digits = 0;
    return result;
}

bool trustworthy(const accuracy& result)
{
    return result.inverse_finite && std::isfinite(result.condition) && result.correct_digits >= trusted_digits;
}

std::string accuracy_verdict(const accuracy& result)
{
    char sentence[320];
    if (!result.inverse_finite)
        return "Do not use this inverse: it holds inf or nan, because the elimination divided by a zero "
               "pivot; the matrix is singular, or singular to single precision without row exchanges.";
    if (!std::isfinite(result.condition))
        return "Do not use this inverse: the matrix is singular (it has no inverse even in double "
               "precision), so these numbers come from rounding errors alone.";
    if (result.correct_digits < trusted_digits) {
        std::snprintf(sentence, sizeof sentence,
                      "Do not trust this inverse: its worst entry has only %.1f correct digits, because the "
                      "matrix is ill-conditioned (condition number %.3g) for single precision without row "
                      "exchanges.",
                      result.correct_digits, result.condition);
        return sentence;
    }
    std::snprintf(sentence, sizeof sentence,
                  "The inverse can be trusted to about %.0f significant digits in every entry.",
                  std::floor(result.correct_digits));
    return sentence;
}

} // namespace torvane
