#include "accuracy_check.hpp"

#include "arithmetic.hpp"
#include "correct_digits.hpp"
#include "elimination_record.hpp"
#include "exact_inverse.hpp"
#include "float_reruns.hpp"
#include "value_text.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace torvane {
namespace {

// max |A.X - I|. Each product of two floats is exact in double; the sum is compensated
// (Neumaier), so cancellation does not hide the residual's leading digits.
double residual_of(std::size_t order, const std::vector<float>& a, const std::vector<float>& x)
{
    double worst = 0;
    for (std::size_t i = 0; i < order; ++i)
        for (std::size_t j = 0; j < order; ++j) {
            double sum = i == j ? -1.0 : 0.0;
            double lost = 0;
            for (std::size_t k = 0; k < order; ++k) {
                const double product = static_cast<double>(a[i * order + k]) * static_cast<double>(x[k * order + j]);
                const double next = sum + product;
                lost += std::fabs(sum) >= std::fabs(product) ? (sum - next) + product : (product - next) + sum;
                sum = next;
            }
            const double total = std::fabs(sum + lost);
            // A nan must not hide behind max(): it makes the residual nan.
            if (!(total <= worst))
                worst = total;
        }
    return worst;
}

std::string three_digits(const exact_fraction& value) { return significant_text(value.numerator, value.denominator, 3); }

// The exact entry as a double, for the sizes the causes compare; 0 or inf past its range.
double approximately(const exact_fraction& value)
{
    if (value.numerator == 0)
        return 0;
    const double magnitude = std::pow(10.0, log10_of(value.numerator) - log10_of(value.denominator));
    return value.numerator < 0 ? -magnitude : magnitude;
}

// ||A||_inf ||A^-1||_inf, exactly, from the whole numbers of A's entries and of A^-1.
exact_fraction exact_condition(std::size_t order, const std::vector<float>& a, const exact_inverse& inverse)
{
    // Every sum over a common power of two: 2^lowest for A, 2^lowest_shift / |det| for A^-1.
    std::int32_t lowest = 0;
    for (const float v : a)
        if (v != 0)
            lowest = std::min(lowest, exact_value(v).exponent);
    big_int largest_a = 0;
    for (std::size_t i = 0; i < order; ++i) {
        big_int row = 0;
        for (std::size_t j = 0; j < order; ++j)
            if (const float v = a[i * order + j]; v != 0) {
                const binary_fraction f = exact_value(v);
                row += abs(f.numerator) << (f.exponent - lowest);
            }
        largest_a = std::max(largest_a, row);
    }
    const std::int32_t lowest_shift = *std::min_element(inverse.row_shift.begin(), inverse.row_shift.end());
    big_int largest_inverse = 0;
    for (std::size_t i = 0; i < order; ++i) {
        big_int row = 0;
        for (std::size_t j = 0; j < order; ++j)
            row += abs(inverse.adjugate[i * order + j]) << (inverse.row_shift[j] - lowest_shift);
        largest_inverse = std::max(largest_inverse, row);
    }
    big_int numerator = largest_a * largest_inverse;
    big_int denominator = abs(inverse.determinant);
    const std::int32_t power = lowest + lowest_shift;
    if (power >= 0)
        numerator <<= power;
    else
        denominator <<= -power;
    return {numerator, denominator};
}

// (|Y| |A| |Y|)(i, j) / |Y(i, j)|: the size of the terms entry (i, j) of A^-1 is made of.
double entry_condition(const std::vector<float>& a, const exact_inverse& inverse, std::size_t i, std::size_t j)
{
    const std::size_t n = inverse.order;
    const double entry = std::fabs(approximately(inverse.entry(i, j)));
    if (entry == 0)
        return std::numeric_limits<double>::infinity();
    std::vector<double> row(n), column(n);
    for (std::size_t k = 0; k < n; ++k) {
        row[k] = std::fabs(approximately(inverse.entry(i, k)));
        column[k] = std::fabs(approximately(inverse.entry(k, j)));
    }
    double terms = 0;
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t l = 0; l < n; ++l)
            terms += row[k] * std::fabs(static_cast<double>(a[k * n + l])) * column[l];
    return terms / entry;
}

// Whether a float can hold a value near this one: not 0 or inf where the value is not 0.
bool within_float_range(const exact_fraction& value)
{
    const float nearest = nearest_float(value);
    return std::isfinite(nearest) && (nearest != 0 || value.numerator == 0);
}

// The worst stored digits of `x` against the exact inverse, over the entries a float can hold.
double worst_stored_digits(const std::vector<float>& x, const exact_inverse& inverse)
{
    double worst = float_digits;
    for (std::size_t i = 0; i < x.size() && worst > 0; ++i) {
        const exact_fraction exact = inverse.entry(i / inverse.order, i % inverse.order);
        if (within_float_range(exact))
            worst = std::min(worst, std::isfinite(x[i]) ? correct_digits(fraction_of(x[i]), exact, float_digits) : 0.0);
    }
    return worst;
}

void compare_with_exact(const std::vector<float>& x, const exact_inverse& inverse, accuracy& result)
{
    const std::size_t n = inverse.order;
    result.correct_digits = result.stored_digits = float_digits;
    result.every_entry_exact = true;
    for (std::size_t i = 0; i < n * n; ++i) {
        const exact_fraction exact = inverse.entry(i / n, i % n);
        double printed = 0, stored = 0;
        if (std::isfinite(x[i])) {
            const exact_fraction shown = *fraction_of_text(report_value_text(x[i]));
            printed = correct_digits(shown, exact, float_digits);
            stored = correct_digits(fraction_of(x[i]), exact, float_digits);
            result.every_entry_exact = result.every_entry_exact && same_value(shown, exact);
        } else {
            result.every_entry_exact = false;
        }
        const bool in_range = within_float_range(exact);
        // Below 1e-6 no value survives the rule, however it was reached.
        const bool below_rule = in_range && std::fabs(approximately(exact)) < tiny_threshold;
        const bool wiped_out = x[i] == 0 && exact.numerator != 0 && (result.findings.inverse_zeroed[i] || below_rule);
        if (printed < result.correct_digits) {
            result.worst_out_of_range = !in_range;
            result.worst_wiped_by_rule = x[i] == 0 && below_rule;
            result.correct_digits = printed;
            result.worst_row = i / n;
            result.worst_column = i % n;
            result.worst_printed = report_value_text(x[i]);
            result.worst_exact_value = three_digits(exact);
        }
        if (stored < result.stored_digits) {
            result.stored_digits = stored;
            result.worst_stored_row = i / n;
            result.worst_stored_column = i % n;
        }
        if (wiped_out)
            result.zeroed.push_back({i / n, i % n, three_digits(exact)});
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

// Why a finite X lost its digits, from what doing it otherwise gives against the exact inverse.
accuracy_cause cause_of_lost_digits(accuracy& r, const std::vector<float>& a, const exact_inverse& inverse)
{
    if (r.worst_out_of_range)
        return accuracy_cause::out_of_range;
    r.digits_without_rule = worst_stored_digits(inverse_without_the_rule(r.order, a), inverse);
    // A true value below 1e-6 is lost to the rule in any run that keeps it.
    if (r.worst_wiped_by_rule || *r.digits_without_rule >= trusted_digits)
        return r.zeroed.empty() ? accuracy_cause::working_zeroed : accuracy_cause::entries_zeroed;
    r.digits_with_exchanges = worst_stored_digits(inverse_with_row_exchanges(r.order, a), inverse);
    if (*r.digits_with_exchanges >= trusted_digits)
        return r.findings.growth() >= large_growth ? accuracy_cause::growth : accuracy_cause::no_row_exchanges;
    const double lost = float_digits - r.correct_digits;
    if (accounts_for(r.condition, lost, r.order))
        return accuracy_cause::ill_conditioned;
    r.worst_entry_condition = entry_condition(a, inverse, r.worst_row, r.worst_column);
    if (accounts_for(r.worst_entry_condition, lost, r.order))
        return accuracy_cause::small_entry;
    return r.zeroed.empty() ? accuracy_cause::rounding : accuracy_cause::entries_zeroed;
}

accuracy_cause cause_of(accuracy& r, const std::vector<float>& a, const exact_inverse* inverse)
{
    if (!r.findings.loaded_finite)
        return accuracy_cause::input_not_finite;
    // A working that held inf or nan is the cause even when the inverse came out finite
    // (x / inf is 0), unless the inverse is right all the same.
    if (r.inverse_finite && r.correct_digits >= trusted_digits)
        return r.exact ? accuracy_cause::none : accuracy_cause::not_proved;
    if (r.findings.first_breakdown)
        return r.findings.first_breakdown->what == breakdown::kind::overflow ? accuracy_cause::overflow
                                                                             : accuracy_cause::zero_pivot;
    if (!r.inverse_finite)
        return accuracy_cause::zero_pivot;
    if (!r.exact)
        return accuracy_cause::not_proved;
    if (r.singular)
        return accuracy_cause::singular;
    return cause_of_lost_digits(r, a, *inverse);
}

} // namespace

accuracy check_accuracy(std::size_t order, const std::vector<float>& a, const std::vector<float>& x,
                        const elimination_findings& findings, std::optional<double> exact_work_limit)
{
    accuracy result;
    result.order = order;
    result.findings = findings;
    result.findings.inverse_zeroed.resize(order * order, false);
    result.residual = residual_of(order, a, x);
    result.inverse_finite = std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); });
    if (!findings.loaded_finite) {
        result.condition = std::numeric_limits<double>::quiet_NaN();
        result.condition_text = "nan";
        return result.cause = cause_of(result, a, nullptr), result;
    }
    if (exact_inverse_work(order, a) > exact_work_limit.value_or(largest_exact_work(order))) {
        estimate_accuracy(a, x, result);
        return result.cause = cause_of(result, a, nullptr), result;
    }
    result.exact = true;
    const exact_inverse inverse = invert_exactly(order, a);
    result.singular = inverse.singular;
    if (inverse.singular) {
        result.condition = std::numeric_limits<double>::infinity();
        result.condition_text = "inf";
    } else {
        const exact_fraction condition = exact_condition(order, a, inverse);
        result.condition = approximately(condition);
        result.condition_text = three_digits(condition);
        compare_with_exact(x, inverse, result);
    }
    result.cause = cause_of(result, a, &inverse);
    return result;
}

accuracy check_accuracy(const elimination_record& record)
{
    return check_accuracy(record.order(), record.matrix_a(), record.inverse(), record.findings());
}

bool trustworthy(const accuracy& result) { return result.cause == accuracy_cause::none; }

} // namespace torvane
