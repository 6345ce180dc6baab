#include "exact_view.hpp"

#include "explain_view.hpp"
#include "value_text.hpp"

#include <charconv>
#include <cmath>

namespace torvane {
namespace {

constexpr std::size_t longest_whole_number = 12;

std::string whole_number_text(const big_int& value, bool unicode)
{
    const std::string digits = value.str();
    if (digits.size() <= longest_whole_number)
        return digits;
    return digits.substr(0, 4) + (unicode ? "\u2026" : "...") + digits.substr(digits.size() - 4) + "[" +
           std::to_string(digits.size()) + " digits]";
}

} // namespace

std::string exact_cell_text(const exact_cell& cell, bool unicode)
{
    std::string text = fraction_text(cell.exact, unicode);
    if (cell.other_value)
        text += " [" + (std::isfinite(cell.single) ? shortest_value_text(cell.single) : report_value_text(cell.single)) + "]" +
                (cell.printed_differs ? "*" : "");
    return text;
}

std::vector<std::string> exact_operation_lines(const exact_step& step, bool unicode)
{
    std::vector<std::string> lines;
    const char* times = unicode ? "\u00D7" : "x";
    if (step.repaired_with)
        lines.push_back("pivot in row " + std::to_string(step.pivot + 1) + " is 0: row " +
                        std::to_string(*step.repaired_with + 1) + " added to row " + std::to_string(step.pivot + 1) +
                        " first");
    for (const exact_operation& op : step.operations)
        lines.push_back("row " + std::to_string(op.target + 1) + " += " + fraction_text(op.factor, unicode) + " " + times +
                        " row " + std::to_string(op.source + 1) +
                        (op.single ? "   [single precision: " + shortest_value_text(*op.single) + "]" : ""));
    return lines;
}

namespace {

std::string matrix_text(std::size_t rows, std::size_t columns, std::size_t bar, const std::vector<exact_cell>& cells,
                        std::uint32_t pivot, const explain_style& style)
{
    std::vector<std::string> texts;
    std::vector<mark> marks;
    for (const exact_cell& cell : cells) {
        texts.push_back(exact_cell_text(cell, style.unicode));
        marks.push_back(cell.printed_differs ? mark::zeroed : mark::plain);
    }
    if (pivot < rows)
        marks[std::size_t{pivot} * columns + pivot] = mark::pivot;
    return layout({rows, columns, bar, texts, marks}, style);
}

std::string step_text(const exact_step& step, std::uint32_t order, const explain_style& style)
{
    std::string text = painted("step " + std::to_string(step.step) +
                                   (step.forward ? " (forward, pivot column " : " (backward, pivot row ") +
                                   std::to_string(step.pivot + 1) + ")",
                               "\x1b[1m", style) +
                       "\n";
    for (const std::string& line : exact_operation_lines(step, style.unicode))
        text += "  " + line + "\n";
    for (const std::string& difference : step.differences)
        text += "  " + painted("! " + difference, colour_repair, style) + "\n";
    if (step.divided_by_zero)
        return text + "  the pivot of row " + std::to_string(step.pivot + 1) +
               " is 0 even so: exactly, A is singular and has no inverse\n\n";
    return text + matrix_text(order, 2 * std::size_t{order}, order, step.cells, step.pivot, style) + "\n";
}

std::string digits_table(const exact_account& account, const explain_style& style)
{
    std::vector<std::string> texts;
    for (const double d : account.digits)
        texts.push_back(std::isinf(d) ? "exact" : digits_text(d));
    return layout({account.order, account.order, 0, texts, {}}, style);
}

} // namespace

std::string fraction_text(const big_rational& value, bool unicode)
{
    const big_int top = numerator(value);
    const big_int bottom = denominator(value);
    const std::string sign = top < 0 ? "-" : "";
    std::string text = sign + whole_number_text(abs(top), unicode);
    return bottom == 1 ? text : text + "/" + whole_number_text(bottom, unicode);
}

std::string exact_view_text(const exact_account& account, const accuracy& check, const explain_style& style)
{
    const std::uint32_t n = account.order;
    if (!account.input_finite) {
        std::string text = "A as read holds inf or nan, which no fraction is: there is no working in fractions\n\n";
        for (const std::string& line : accuracy_lines(check, style))
            text += line + "\n";
        return text;
    }
    std::string text =
        "the working in exact fractions; where the single-precision run holds another number, that\n"
        "float follows in brackets, marked * where the six digits the report prints differ too\n\n"
        "start: [A | I], A as read\n" +
        matrix_text(n, 2 * std::size_t{n}, n, account.start, UINT32_MAX, style) + "\n";
    for (const exact_step& step : account.steps)
        text += step_text(step, n, style);
    if (!account.divisors.empty()) {
        text += "normalisation: every row divided by its diagonal entry\n";
        for (std::size_t r = 0; r < n; ++r)
            text += "  row " + std::to_string(r + 1) + " " + (style.unicode ? "\u00F7" : "/") + " " +
                    exact_cell_text(account.divisors[r], style.unicode) + "\n";
    }
    if (!account.inverse.empty()) {
        text += "\nthe exact inverse, with X, the report's inverse, beside it\n" +
                matrix_text(n, n, 0, account.inverse, UINT32_MAX, style) +
                "\ncorrect digits of each entry of X as the report prints it\n" + digits_table(account, style) + "\n";
    }
    for (const std::string& line : accuracy_lines(check, style))
        text += line + "\n";
    return text;
}

} // namespace torvane
