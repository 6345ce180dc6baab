#include "elimination_findings.hpp"

#include "arithmetic.hpp"
#include "elimination_record.hpp"

#include <algorithm>
#include <cmath>

namespace torvane {
namespace {

bool all_finite(const std::vector<float>& entries)
{
    return std::all_of(entries.begin(), entries.end(), [](float v) { return std::isfinite(v); });
}

// The largest finite |entry| in the left half of an N x 2N matrix.
double largest_left(std::uint32_t order, const std::vector<float>& entries)
{
    double largest = 0;
    for (std::size_t r = 0; r < order; ++r)
        for (std::size_t c = 0; c < order; ++c)
            if (const double v = std::fabs(entries[r * 2 * order + c]); std::isfinite(v))
                largest = std::max(largest, v);
    return largest;
}

std::uint32_t first_row_not_finite(std::uint32_t order, const std::vector<float>& entries)
{
    const auto at = std::find_if(entries.begin(), entries.end(), [](float v) { return !std::isfinite(v); });
    return static_cast<std::uint32_t>(static_cast<std::size_t>(at - entries.begin()) / (2 * std::size_t{order}));
}

// Why a pass that started from finite numbers left inf or nan. The pass changes the pivot
// row only by its repair and the 1e-6 rule, so the pivot it divided by is the one the
// result holds, unless the rule set a tiny one to zero after use.
breakdown breakdown_in(const elimination_findings& findings, const pass_record& pass)
{
    const std::uint32_t order = findings.order;
    const std::size_t pivot_place = std::size_t{pass.pivot} * 2 * order + pass.pivot;
    const float pivot = pass.after[pivot_place];
    const bool cleaned = std::find(pass.zeroed.begin(), pass.zeroed.end(), pivot_place) != pass.zeroed.end();
    if (pivot == 0.0f && !cleaned)
        return {breakdown::kind::zero_pivot, pass.step, pass.pivot, std::nullopt,
                findings.diagonal_zeroed_in[pass.pivot]};
    if (!std::isfinite(pivot))  // the repair's sum overflowed
        return {breakdown::kind::overflow, pass.step, pass.pivot, std::nullopt, 0};
    for (const row_step& op : pass.operations)
        if (!std::isfinite(op.factor))
            return {breakdown::kind::overflow, pass.step, op.target, op.factor, 0};
    return {breakdown::kind::overflow, pass.step, first_row_not_finite(order, pass.after), std::nullopt, 0};
}

} // namespace

double elimination_findings::growth() const
{
    return largest_loaded > 0 ? std::max(1.0, largest_worked / largest_loaded) : 1.0;
}

elimination_findings findings_at_start(std::uint32_t order, const std::vector<float>& loaded)
{
    elimination_findings findings;
    findings.order = order;
    findings.largest_loaded = largest_left(order, loaded);
    findings.largest_worked = findings.largest_loaded;
    findings.inverse_zeroed.assign(std::size_t{order} * order, false);
    findings.diagonal_zeroed_in.assign(order, 0);
    findings.loaded_finite = all_finite(loaded);
    return findings;
}

void note_pass(elimination_findings& findings, const pass_record& pass)
{
    const std::uint32_t order = findings.order;
    if (findings.loaded_finite && !findings.first_breakdown && !all_finite(pass.after))
        findings.first_breakdown = breakdown_in(findings, pass);
    findings.largest_worked = std::max(findings.largest_worked, largest_left(order, pass.after));
    for (const std::size_t place : pass.zeroed) {
        const std::size_t row = place / (2 * order);
        const std::size_t column = place % (2 * order);
        // What a pass leaves in the column it clears is rounding that should be 0 anyway.
        if (column == pass.pivot && row != pass.pivot)
            continue;
        if (findings.zeroings++ == 0)
            findings.first_zeroing = zeroing{pass.step, place};
        if (column >= order)
            findings.inverse_zeroed[row * order + column - order] = true;
        else if (column == row)
            findings.diagonal_zeroed_in[row] = pass.step;
    }
}

void note_normalisation(elimination_findings& findings, const std::vector<float>& before,
                        const std::vector<float>& divisors, const std::vector<float>& after)
{
    const std::uint32_t order = findings.order;
    for (std::size_t r = 0; r < order; ++r)
        for (std::size_t c = 0; c < order; ++c) {
            const float quotient = stored_quotient(before[r * 2 * order + order + c], divisors[r]);
            if (is_tiny(quotient) && quotient != 0.0f)
                findings.inverse_zeroed[r * order + c] = true;
        }
    if (!findings.loaded_finite || findings.first_breakdown || !all_finite(before) || all_finite(after))
        return;
    // A zero divisor makes nan whatever else overflowed.
    const auto zero = std::find(divisors.begin(), divisors.end(), 0.0f);
    if (zero == divisors.end()) {
        findings.first_breakdown = breakdown{breakdown::kind::overflow, 0, first_row_not_finite(order, after), std::nullopt, 0};
        return;
    }
    const auto row = static_cast<std::uint32_t>(zero - divisors.begin());
    findings.first_breakdown =
        breakdown{breakdown::kind::zero_pivot, 0, row, std::nullopt, findings.diagonal_zeroed_in[row]};
}

} // namespace torvane
