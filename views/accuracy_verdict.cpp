// The accuracy check's sentence: how far the inverse can be trusted, or why it must not
// be, in the words of what the run saw and of the exact inverse. Rows and columns are
// counted from 1.

#include "accuracy_check.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace torvane {
namespace {

std::string place(std::size_t row, std::size_t column)
{
    return "(" + std::to_string(row + 1) + ", " + std::to_string(column + 1) + ")";
}

std::string counted(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string condition_text(const accuracy& r) { return "condition number " + r.condition_text; }

std::string step_text(std::int32_t step)
{
    return step == 0 ? "the normalisation" : "step " + std::to_string(step);
}

// Only the exact inverse decides whether A is singular.
std::string singular_or_not(const accuracy& r)
{
    if (!r.exact)
        return "";
    if (r.singular)
        return "; the matrix is singular (its determinant is exactly 0)";
    return "; the matrix is not singular (" + condition_text(r) + ")";
}

std::string do_not_use(const accuracy& r)
{
    return std::string("Do not use this inverse: ") +
           (r.inverse_finite ? "its working held inf or nan" : "it holds inf or nan") + ", because ";
}

std::string zero_pivot_text(const accuracy& r)
{
    const auto& b = r.findings.first_breakdown;
    if (!b)
        return do_not_use(r) + "the elimination divided by a zero pivot" + singular_or_not(r) + ".";
    std::string text = do_not_use(r) + step_text(b->step) + " divided by a zero pivot in row " + std::to_string(b->row + 1);
    if (b->pivot_zeroed_in > 0)
        return text + ", which the 1e-6 rule had set to zero in step " + std::to_string(b->pivot_zeroed_in) +
               singular_or_not(r) + ".";
    text += singular_or_not(r);
    return text + (r.exact && !r.singular ? ", only singular to single precision without row exchanges." : ".");
}

std::string overflow_text(const accuracy& r)
{
    const breakdown& b = *r.findings.first_breakdown;
    std::string text = do_not_use(r) + step_text(b.step) + " overflowed single precision from finite numbers (";
    text += b.factor ? "the factor for row " + std::to_string(b.row + 1) + " is " + short_number(*b.factor)
                     : "in row " + std::to_string(b.row + 1);
    text += ")";
    return text + singular_or_not(r) + ".";
}

std::string first_zeroing_text(const accuracy& r)
{
    if (!r.findings.first_zeroing)
        return "";
    const zeroing& first = *r.findings.first_zeroing;
    const std::size_t width = 2 * std::size_t{r.findings.order};
    return std::string(", ") + (r.findings.zeroings > 1 ? "the first " : "") + "at " +
           place(first.place / width, first.place % width) + " in step " + std::to_string(first.step);
}

std::string without_rule_text(const accuracy& r)
{
    if (!r.digits_without_rule || *r.digits_without_rule < trusted_digits)
        return "";
    return "; without the rule the same single-precision arithmetic keeps " + digits_text(*r.digits_without_rule) +
           " digits";
}

std::string zeroed_text(const accuracy& r)
{
    constexpr std::size_t listed = 4;
    std::string text = "the 1e-6 rule wiped out " + counted(r.zeroed.size(), "true entry", "true entries") + " of X:";
    for (std::size_t i = 0; i < std::min(r.zeroed.size(), listed); ++i)
        text += (i ? ", " : " ") + place(r.zeroed[i].row, r.zeroed[i].column) + " is " + r.zeroed[i].exact_value;
    if (r.zeroed.size() > listed)
        text += " and " + std::to_string(r.zeroed.size() - listed) + " more";
    return text + without_rule_text(r);
}

std::string with_exchanges_text(const accuracy& r)
{
    return "; with row exchanges single precision keeps " + digits_text(r.digits_with_exchanges.value_or(0)) +
           " digits (" + condition_text(r) + ")";
}

std::string cause_text(const accuracy& r)
{
    switch (r.cause) {
    case accuracy_cause::entries_zeroed: return zeroed_text(r);
    case accuracy_cause::working_zeroed:
        return "the 1e-6 rule set " + counted(r.findings.zeroings, "entry", "entries") +
               " to zero during the elimination" + first_zeroing_text(r) + without_rule_text(r);
    case accuracy_cause::growth:
        return "without row exchanges the working grew to " + short_number(r.findings.growth()) +
               " times the largest entry of A" + with_exchanges_text(r);
    case accuracy_cause::no_row_exchanges:
        return "rounding errors in single precision without row exchanges add up" + with_exchanges_text(r);
    case accuracy_cause::out_of_range:
        return "its exact value lies beyond the range of single precision (about 1e-45 to 3e+38), so no float "
               "can hold it";
    case accuracy_cause::ill_conditioned:
        return "the matrix is ill-conditioned (" + condition_text(r) + ") for single precision";
    case accuracy_cause::small_entry:
        return "that entry is a small difference of much larger terms (its own condition number " +
               short_number(r.worst_entry_condition) + "; the matrix's is " + r.condition_text + ")";
    default:
        return "rounding errors in single precision add up (" + condition_text(r) + ", growth " +
               short_number(r.findings.growth()) + ")";
    }
}

std::string not_trusted_text(const accuracy& r, bool unicode)
{
    std::string text = "Do not trust this inverse: ";
    const bool residual_large = !(r.residual < std::pow(10.0, -trusted_digits));
    if (residual_large)
        text += std::string(unicode ? "A\u00B7X" : "A*X") + " misses I by up to " + short_number(r.residual) + ", and ";
    return text + "its worst entry, X" + place(r.worst_row, r.worst_column) + " = " + r.worst_printed +
           " where the exact value is " + r.worst_exact_value + ", has only " + digits_text(r.correct_digits) +
           " correct digits, because " + cause_text(r) + ".";
}

std::string not_proved_text(const accuracy& r)
{
    return "Not checked exactly: the exact inverse of this matrix is beyond the check's reach. Against an "
           "inverse in double precision its worst entry has about " + digits_text(r.correct_digits) +
           " correct digits (" + condition_text(r) + "), an estimate, not a guarantee.";
}

} // namespace

std::string short_number(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 3).ptr);
}

std::string digits_text(double digits)
{
    char text[32];
    // + 0.0 turns a -0 into +0.
    const double shown = std::max(0.0, digits) + 0.0;
    return std::string(text, std::to_chars(text, text + sizeof text, shown, std::chars_format::fixed, 1).ptr);
}

std::string accuracy_verdict(const accuracy& r, bool unicode)
{
    switch (r.cause) {
    case accuracy_cause::none:
        if (r.every_entry_exact)
            return "The inverse is exact: every entry as printed is the exact value.";
        return "The inverse can be trusted to about " +
               std::to_string(std::min(printed_digits, static_cast<int>(r.correct_digits))) +
               " significant digits in every entry.";
    case accuracy_cause::not_proved: return not_proved_text(r);
    case accuracy_cause::input_not_finite: return "Do not use this inverse: A as read holds inf or nan.";
    case accuracy_cause::zero_pivot: return zero_pivot_text(r);
    case accuracy_cause::overflow: return overflow_text(r);
    case accuracy_cause::singular:
        return "Do not use this inverse: the matrix is singular (its determinant is exactly 0), so it has no "
               "inverse and these numbers come from rounding errors alone.";
    default: return not_trusted_text(r, unicode);
    }
}

} // namespace torvane
