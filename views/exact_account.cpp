#include "exact_account.hpp"

#include "accuracy_check.hpp"
#include "correct_digits.hpp"
#include "value_text.hpp"

#include <algorithm>
#include <cmath>

namespace torvane {
namespace {

exact_fraction fraction_of_rational(const big_rational& value)
{
    return {numerator(value), denominator(value)};
}

exact_cell cell_of(const big_rational& exact, float single)
{
    exact_cell cell{exact, single, true, true};
    if (std::isfinite(single)) {
        cell.other_value = rational_of(single) != exact;
        cell.printed_differs = report_value_text(single) != printed_exact(exact);
    }
    return cell;
}

std::vector<exact_cell> cells_of(const std::vector<big_rational>& exact, const std::vector<float>& single)
{
    std::vector<exact_cell> cells;
    cells.reserve(exact.size());
    for (std::size_t i = 0; i < exact.size(); ++i)
        cells.push_back(cell_of(exact[i], single[i]));
    return cells;
}

std::string place_text(std::size_t place, std::size_t width)
{
    return "(" + std::to_string(place / width + 1) + ", " + std::to_string(place % width + 1) + ")";
}

// The repair the run made against the one exact arithmetic makes.
void compare_repairs(const exact_pass& exact, const pass_record& run, std::size_t width,
                     std::vector<std::string>& differences)
{
    const std::string pivot_row = "row " + std::to_string(exact.pivot + 1);
    if (run.repair && !exact.repaired_with)
        differences.push_back("single precision repaired the pivot of " + pivot_row + ", " +
                              report_value_text(run.repair->tiny_pivot) + ", which is below 1e-6 but not 0 exactly: it "
                              "added row " + std::to_string(run.repair->added_row + 1) + ", exact arithmetic adds none");
    else if (!run.repair && exact.repaired_with)
        differences.push_back("exactly the pivot of " + pivot_row + " is 0 and row " +
                              std::to_string(*exact.repaired_with + 1) + " is added; single precision kept its pivot, " +
                              report_value_text(run.before[exact.pivot * width + exact.pivot]));
    else if (run.repair && exact.repaired_with && run.repair->added_row != *exact.repaired_with)
        differences.push_back("single precision added row " + std::to_string(run.repair->added_row + 1) + " to " +
                              pivot_row + ", exact arithmetic adds row " + std::to_string(*exact.repaired_with + 1));
}

// Entries the run's 1e-6 rule set to 0 in this pass whose exact values are not 0.
void compare_zeroings(const exact_pass& exact, const pass_record& run, std::size_t width,
                      std::vector<std::string>& differences)
{
    constexpr std::size_t listed = 4;
    std::vector<std::size_t> wiped;
    for (const std::size_t place : run.zeroed)
        if (exact.after[place] != 0)
            wiped.push_back(place);
    if (wiped.empty())
        return;
    std::string line = "single precision's 1e-6 rule set " + std::to_string(wiped.size()) +
                       (wiped.size() == 1 ? " entry" : " entries") + " to 0 that exactly are not 0:";
    for (std::size_t i = 0; i < std::min(wiped.size(), listed); ++i)
        line += (i ? ", " : " ") + place_text(wiped[i], width) + " is " + printed_exact(exact.after[wiped[i]]);
    if (wiped.size() > listed)
        line += " and " + std::to_string(wiped.size() - listed) + " more";
    differences.push_back(line);
}

exact_step step_of(const exact_pass& exact, const pass_record& run, std::uint32_t order)
{
    exact_step step{exact.step, exact.forward, exact.pivot, exact.repaired_with, {}, {}, {}, exact.divided_by_zero};
    for (const exact_row_step& op : exact.operations) {
        exact_operation shown{op.target, exact.pivot, op.factor, std::nullopt};
        for (const row_step& single : run.operations)
            if (single.target == op.target && (!std::isfinite(single.factor) || rational_of(single.factor) != op.factor))
                shown.single = single.factor;
        step.operations.push_back(std::move(shown));
    }
    compare_repairs(exact, run, 2 * std::size_t{order}, step.differences);
    compare_zeroings(exact, run, 2 * std::size_t{order}, step.differences);
    step.cells = cells_of(exact.after, run.after);
    return step;
}

// The digits the report's text of x gets right; inf where that text is the exact value.
double digits_as_printed(float x, const exact_fraction& exact)
{
    if (!std::isfinite(x))
        return 0;
    const exact_fraction shown = *fraction_of_text(report_value_text(x));
    return same_value(shown, exact) ? HUGE_VAL : correct_digits(shown, exact, float_digits);
}

} // namespace

std::string printed_exact(const big_rational& value)
{
    return report_value_text(nearest_float(fraction_of_rational(value)));
}

exact_account account_exactly(const elimination_record& record, const std::vector<pass_record>& passes)
{
    const std::uint32_t n = record.order();
    exact_account account;
    account.order = n;
    // inf and nan are no fractions: there is nothing to work exactly.
    account.input_finite = std::all_of(record.loaded().begin(), record.loaded().end(), [](float v) { return std::isfinite(v); });
    if (!account.input_finite)
        return account;
    const exact_working working(n, record.loaded());
    account.start = cells_of(working.start(), record.loaded());
    for (std::size_t k = 0; k < working.passes().size() && k < passes.size(); ++k)
        account.steps.push_back(step_of(working.passes()[k], passes[k], n));
    if (!working.result())
        return account;
    for (std::size_t r = 0; r < n; ++r)
        account.divisors.push_back(cell_of(working.divisors()[r], record.divisors()[r]));
    const std::vector<float> x = record.inverse();
    const std::size_t width = 2 * std::size_t{n};
    for (std::size_t i = 0; i < std::size_t{n} * n; ++i) {
        const big_rational& exact = (*working.result())[(i / n) * width + n + i % n];
        account.inverse.push_back(cell_of(exact, x[i]));
        account.digits.push_back(digits_as_printed(x[i], fraction_of_rational(exact)));
    }
    return account;
}

} // namespace torvane
