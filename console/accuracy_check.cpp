#include "accuracy_check.hpp"

#include "arithmetic.hpp"
#include "elimination_record.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace torvane {
namespace {

// Correct decimal digits for a relative (or absolute) error, from 0 to float_digits,
// rounded down to tenths so that the figure shown is the figure judged.
double digits_for(double error)
{
    if (std::isnan(error))
        return 0;
    const double digits = error == 0 ? float_digits : std::clamp(-std::log10(error), 0.0, float_digits);
    return std::max(0.0, std::floor(digits * 10 + 1e-9) / 10);
}

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

// max |A.X - I|, and the digits to which every entry of A.X - I cancels against the sum of
// |products| that made it: an X right to d digits in every entry leaves at most 10^-d there.
void measure_residual(std::size_t order, const std::vector<float>& a, const std::vector<float>& x, accuracy& result)
{
    double worst = 0;
    double worst_ratio = 0;
    for (std::size_t i = 0; i < order; ++i)
        for (std::size_t j = 0; j < order; ++j) {
            double sum = i == j ? -1.0 : 0.0;
            double terms = 0;
            for (std::size_t k = 0; k < order; ++k) {
                const double product = static_cast<double>(a[i * order + k]) * static_cast<double>(x[k * order + j]);
                sum += product;
                terms += std::fabs(product);
            }
            // A nan must not hide behind max(): it makes the residual nan.
            if (!(std::fabs(sum) <= worst))
                worst = std::fabs(sum);
            const double ratio = sum == 0 ? 0 : terms > 0 ? std::fabs(sum) / terms : 1;
            if (!(ratio <= worst_ratio))
                worst_ratio = ratio;
        }
    result.residual = worst;
    result.residual_digits = digits_for(worst_ratio);
}

// For every entry of Y: how far it may be from the true inverse, |Y| |A.Y - I| to first
// order, with A.Y - I summed in long double and its own rounding bound added; and
// (|Y| |A| |Y|), the size of the terms the entry is made of.
struct reference_bounds {
    std::vector<double> uncertainty;
    std::vector<double> terms;
};

reference_bounds bounds_of(std::size_t order, const std::vector<float>& a, const std::vector<double>& y)
{
    const double rounding = static_cast<double>(order) * static_cast<double>(std::numeric_limits<long double>::epsilon());
    std::vector<double> error(order * order);     // |A.Y - I| plus its rounding bound
    std::vector<double> products(order * order);  // |A| |Y|
    for (std::size_t i = 0; i < order; ++i)
        for (std::size_t j = 0; j < order; ++j) {
            long double sum = i == j ? -1.0L : 0.0L;
            double size = 0;
            for (std::size_t k = 0; k < order; ++k) {
                sum += static_cast<long double>(a[i * order + k]) * static_cast<long double>(y[k * order + j]);
                size += std::fabs(static_cast<double>(a[i * order + k]) * y[k * order + j]);
            }
            error[i * order + j] = std::fabs(static_cast<double>(sum)) + rounding * size;
            products[i * order + j] = size;
        }
    reference_bounds bounds{std::vector<double>(order * order, 0.0), std::vector<double>(order * order, 0.0)};
    for (std::size_t i = 0; i < order; ++i)
        for (std::size_t k = 0; k < order; ++k) {
            const double yik = std::fabs(y[i * order + k]);
            for (std::size_t j = 0; j < order; ++j) {
                bounds.uncertainty[i * order + j] += yik * error[k * order + j];
                bounds.terms[i * order + j] += yik * products[k * order + j];
            }
        }
    return bounds;
}

// Every entry of X against Y: relative to Y's entry, or absolute where that entry is 0 as
// far as double precision can tell. Y's own uncertainty counts against X, so no digit is
// claimed that the reference cannot vouch for. Also collects the entries of X that are 0
// where the true value is not, and that the 1e-6 rule set to 0 or would have.
constexpr double reference_margin = 4;

void compare_with(std::size_t order, const std::vector<float>& x, const std::vector<double>& y,
                  const reference_bounds& bounds, accuracy& result)
{
    result.correct_digits = float_digits;
    for (std::size_t i = 0; i < order * order; ++i) {
        const double u = bounds.uncertainty[i];
        // The bound is of first order and can be met exactly, so it is taken with room to spare.
        const bool true_zero = !(std::fabs(y[i]) > reference_margin * u);
        const double error = std::fabs(x[i] - y[i]) + u;
        const double digits = std::isfinite(x[i]) ? digits_for(true_zero ? error : error / std::fabs(y[i])) : 0;
        // Below 1e-6 the true value could not have survived the rule, however it was reached.
        const bool wiped_out = result.findings.inverse_zeroed[i] || std::fabs(y[i]) < tiny_threshold;
        if (x[i] == 0 && !true_zero && wiped_out)
            result.zeroed.push_back({i / order, i % order, y[i]});
        if (digits < result.correct_digits) {
            result.correct_digits = digits;
            result.worst_row = i / order;
            result.worst_column = i % order;
            result.worst_true_value = y[i];
            result.worst_entry_condition =
                true_zero ? std::numeric_limits<double>::infinity() : bounds.terms[i] / std::fabs(y[i]);
        }
    }
}

// Whether a condition number or a growth of `factor` accounts for the digits lost: the
// errors of an elimination of order n come to about n x the rounding of a float x factor,
// give or take a digit.
bool accounts_for(double factor, double digits_lost, std::size_t order)
{
    return std::log10(factor) + std::log10(static_cast<double>(order)) + 1 >= digits_lost;
}

constexpr double large_growth = 10;

accuracy_cause cause_when_finite(const accuracy& r)
{
    const double kept = std::min(r.correct_digits, r.residual_digits);
    if (kept >= trusted_digits)
        return accuracy_cause::none;
    if (!std::isfinite(r.condition))
        return accuracy_cause::singular;
    if (!r.zeroed.empty())
        return accuracy_cause::entries_zeroed;
    const double lost = float_digits - kept;
    if (accounts_for(r.condition, lost, r.order))
        return accuracy_cause::ill_conditioned;
    const double growth = r.findings.growth();
    if (growth >= large_growth && accounts_for(growth, lost, r.order))
        return accuracy_cause::growth;
    if (accounts_for(r.worst_entry_condition, lost, r.order))
        return accuracy_cause::small_entry;
    return r.findings.zeroings > 0 ? accuracy_cause::working_zeroed : accuracy_cause::rounding;
}

accuracy_cause cause_of(const accuracy& r)
{
    if (!r.findings.loaded_finite)
        return accuracy_cause::input_not_finite;
    // A working that held inf or nan is the cause even when the inverse came out finite
    // (x / inf is 0), unless the inverse is right all the same.
    if (r.inverse_finite) {
        const accuracy_cause cause = cause_when_finite(r);
        if (cause == accuracy_cause::none || !r.findings.first_breakdown)
            return cause;
    }
    if (r.findings.first_breakdown && r.findings.first_breakdown->what == breakdown::kind::overflow)
        return accuracy_cause::overflow;
    return accuracy_cause::zero_pivot;
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

accuracy check_accuracy(std::size_t order, const std::vector<float>& a, const std::vector<float>& x,
                        const elimination_findings& findings)
{
    accuracy result;
    result.order = order;
    result.findings = findings;
    result.findings.inverse_zeroed.resize(order * order, false);
    measure_residual(order, a, x, result);
    result.inverse_finite = std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); });
    const auto reference = findings.loaded_finite ? double_inverse(order, a) : std::nullopt;
    if (!reference) {
        result.condition = std::numeric_limits<double>::infinity();
        result.correct_digits = 0;
    } else {
        result.condition = infinity_norm(order, a) * infinity_norm(order, *reference);
        compare_with(order, x, *reference, bounds_of(order, a, *reference), result);
    }
    result.cause = cause_of(result);
    return result;
}

accuracy check_accuracy(const elimination_record& record)
{
    return check_accuracy(record.order(), record.matrix_a(), record.inverse(), record.findings());
}

bool trustworthy(const accuracy& result) { return result.cause == accuracy_cause::none; }

} // namespace torvane
