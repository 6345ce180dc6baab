#include "latex_view.hpp"

#include "explain_view.hpp"
#include "value_text.hpp"

#include <charconv>
#include <string_view>

namespace torvane {
namespace {

constexpr std::string_view preamble =
    "\\documentclass[11pt]{article}\n"
    "\\usepackage[T1]{fontenc}\n"
    "\\usepackage{amsmath}\n"
    "\\usepackage{graphicx}\n"
    "\\usepackage[margin=2cm]{geometry}\n"
    "\\setlength{\\parindent}{0pt}\n"
    "\\renewcommand{\\arraystretch}{1.5}\n"
    "% A matrix wider than the text is scaled down to fit it.\n"
    "\\newcommand{\\fitwide}[1]{\\resizebox{\\ifdim\\width>\\linewidth\\linewidth\\else\\width\\fi}{!}{#1}}\n"
    "\\begin{document}\n";

// Text for LaTeX's text mode: its special characters escaped.
std::string escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\textbackslash{}"; break;
        case '{': case '}': case '#': case '$': case '%': case '&': case '_': out += std::string("\\") + c; break;
        case '~': out += "\\textasciitilde{}"; break;
        case '^': out += "\\textasciicircum{}"; break;
        default: out += c;
        }
    }
    return out;
}

// A number as the report prints it, in math mode: 1e-05 as 1 \times 10^{-5}.
std::string math_number(std::string_view printed)
{
    if (printed.find("nan") != std::string_view::npos)
        return "\\text{" + std::string(printed) + "}";
    if (printed.find("inf") != std::string_view::npos)
        return printed.front() == '-' ? "-\\infty" : "\\infty";
    const std::size_t e = printed.find('e');
    if (e == std::string_view::npos)
        return std::string(printed);
    int exponent = 0;
    std::from_chars(printed.data() + e + (printed[e + 1] == '+' ? 2 : 1), printed.data() + printed.size(), exponent);
    return std::string(printed.substr(0, e)) + " \\times 10^{" + std::to_string(exponent) + "}";
}

std::string float_number(float value) { return math_number(report_value_text(value)); }
std::string factor_number(float value) { return math_number(shortest_value_text(value)); }

std::string whole_number(const big_int& value)
{
    const std::string digits = value.str();
    if (digits.size() <= 12)
        return digits;
    return digits.substr(0, 4) + "\\ldots " + digits.substr(digits.size() - 4) + "_{(" + std::to_string(digits.size()) +
           "\\text{ digits})}";
}

std::string fraction_number(const big_rational& value)
{
    const big_int top = numerator(value);
    const big_int bottom = denominator(value);
    const std::string sign = top < 0 ? "-" : "";
    if (bottom == 1)
        return sign + whole_number(abs(top));
    return sign + "\\frac{" + whole_number(abs(top)) + "}{" + whole_number(bottom) + "}";
}

// rows x columns entries in math mode, a bar after column `bar` (0 for none).
std::string matrix(std::size_t rows, std::size_t columns, std::size_t bar, const std::vector<std::string>& entries)
{
    std::string alignment;  // every column right-aligned, the bar before column `bar`
    for (std::size_t c = 0; c < columns; ++c)
        alignment += std::string(c == bar && bar > 0 ? "|" : "") + "r";
    std::string out = "\\begin{center}\\fitwide{$\\left[\\begin{array}{" + alignment + "}\n";
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < columns; ++c)
            out += (c ? " & " : "") + entries[r * columns + c];
        out += r + 1 < rows ? " \\\\\n" : "\n";
    }
    return out + "\\end{array}\\right]$}\\end{center}\n";
}

std::string row_operation(std::uint32_t target, std::uint32_t source, const std::string& factor)
{
    const bool negative = !factor.empty() && factor.front() == '-';
    const std::string row = "R_{" + std::to_string(target + 1) + "}";
    return "\\item $" + row + " \\leftarrow " + row + (negative ? " - " : " + ") +
           (negative ? factor.substr(1) : factor) + "\\,R_{" + std::to_string(source + 1) + "}$\n";
}

std::string step_heading(std::int32_t step, bool forward, std::uint32_t pivot)
{
    return "\\subsection*{Step " + std::to_string(step) + " (" + (forward ? "forward, pivot column " : "backward, pivot row ") +
           std::to_string(pivot + 1) + ")}\n";
}

std::string itemised(const std::vector<std::string>& items)
{
    if (items.empty())
        return {};
    std::string out = "\\begin{itemize}\n";
    for (const std::string& item : items)
        out += item;
    return out + "\\end{itemize}\n";
}

std::string check_section(const accuracy& check)
{
    std::string out = "\\subsection*{Accuracy check}\n\\begin{itemize}\n";
    const std::vector<std::string> lines = accuracy_lines(check, {false, false});
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        out += "\\item " + escaped(lines[i].substr(2)) + "\n";
    return out + "\\end{itemize}\n" + escaped(lines.back().substr(2)) + "\n";
}

template <class Entry, class Show> std::vector<std::string> shown(const std::vector<Entry>& entries, Show show)
{
    std::vector<std::string> out;
    out.reserve(entries.size());
    for (const Entry& e : entries)
        out.push_back(show(e));
    return out;
}

} // namespace

std::string latex_document(const elimination_record& record, const std::vector<pass_record>& passes, const accuracy& check)
{
    const std::uint32_t n = record.order();
    std::string out = std::string(preamble) +
                      "\\section*{Inverting $A$ by Gauss--Jordan elimination in single precision}\n"
                      "Start: $[A \\mid I]$, $A$ as read.\n" + matrix(n, 2 * n, n, shown(record.loaded(), float_number));
    for (const pass_record& pass : passes) {
        std::vector<std::string> items;
        if (pass.repair)
            items.push_back("\\item the pivot in row " + std::to_string(pass.pivot + 1) + " is $" +
                            float_number(pass.repair->tiny_pivot) + "$, below $10^{-6}$: row " +
                            std::to_string(pass.repair->added_row + 1) + " is added to it first\n");
        for (const row_step& op : pass.operations)
            items.push_back(row_operation(op.target, op.source, factor_number(op.factor)));
        if (!pass.zeroed.empty())
            items.push_back("\\item " + std::to_string(pass.zeroed.size()) + " entries below $10^{-6}$ are set to 0\n");
        out += step_heading(pass.step, pass.phase == pass_phase::forward, pass.pivot) + itemised(items) +
               matrix(n, 2 * n, n, shown(pass.after, float_number));
    }
    std::vector<std::string> divisions;
    for (std::size_t r = 0; r < record.divisors().size(); ++r)
        divisions.push_back("\\item $R_{" + std::to_string(r + 1) + "} \\div " + float_number(record.divisors()[r]) + "$\n");
    out += "\\subsection*{Normalisation}\nEvery row is divided by its diagonal entry.\n" + itemised(divisions) +
           "\\subsection*{The inverse $X$}\n" + matrix(n, n, 0, shown(record.inverse(), float_number));
    return out + check_section(check) + "\\end{document}\n";
}

std::string latex_exact_document(const exact_account& account, const accuracy& check)
{
    const std::uint32_t n = account.order;
    const auto exact_of = [](const exact_cell& cell) { return fraction_number(cell.exact); };
    if (!account.input_finite)
        return std::string(preamble) + "$A$ as read holds inf or nan, which no fraction is: there is no working in "
                                       "fractions.\n" + check_section(check) + "\\end{document}\n";
    std::string out = std::string(preamble) +
                      "\\section*{Inverting $A$ by Gauss--Jordan elimination in exact fractions}\n"
                      "Start: $[A \\mid I]$, $A$ as read.\n" + matrix(n, 2 * n, n, shown(account.start, exact_of));
    for (const exact_step& step : account.steps) {
        std::vector<std::string> items;
        if (step.repaired_with)
            items.push_back("\\item the pivot in row " + std::to_string(step.pivot + 1) + " is 0: row " +
                            std::to_string(*step.repaired_with + 1) + " is added to it first\n");
        for (const exact_operation& op : step.operations)
            items.push_back(row_operation(op.target, op.source, fraction_number(op.factor)));
        for (const std::string& difference : step.differences)
            items.push_back("\\item \\emph{" + escaped(difference) + "}\n");
        out += step_heading(step.step, step.forward, step.pivot) + itemised(items);
        out += step.divided_by_zero ? "The pivot is 0 even so: $A$ is singular and has no inverse.\n"
                                    : matrix(n, 2 * n, n, shown(step.cells, exact_of));
    }
    if (!account.inverse.empty()) {
        std::vector<std::string> divisions;
        for (std::size_t r = 0; r < n; ++r)
            divisions.push_back("\\item $R_{" + std::to_string(r + 1) + "} \\div " + exact_of(account.divisors[r]) + "$\n");
        out += "\\subsection*{Normalisation}\nEvery row is divided by its diagonal entry.\n" + itemised(divisions) +
               "\\subsection*{The inverse $A^{-1}$}\n" + matrix(n, n, 0, shown(account.inverse, exact_of)) +
               "The report's inverse $X$ in single precision, and the digits of each entry that are right:\n" +
               matrix(n, n, 0, shown(account.inverse, [](const exact_cell& c) { return float_number(c.single); })) +
               matrix(n, n, 0, shown(account.digits, [](double d) { return digits_text(d); }));
    }
    return out + check_section(check) + "\\end{document}\n";
}

} // namespace torvane
