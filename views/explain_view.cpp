#include "explain_view.hpp"

#include "value_text.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdlib>


namespace torvane {
namespace {

const char* times_sign(const explain_style& style) { return style.unicode ? "\u00D7" : "x"; }

std::string place_text(std::size_t place, std::uint32_t order)
{
    return "(" + std::to_string(place / (2 * order) + 1) + ", " + std::to_string(place % (2 * order) + 1) + ")";
}

// A float matrix as the report writes its entries.
std::string layout_values(std::size_t rows, std::size_t columns, std::size_t bar_after, const std::vector<float>& values,
                          std::vector<mark> marks, std::size_t labelled_row, const explain_style& style)
{
    std::vector<std::string> texts(values.size());
    std::transform(values.begin(), values.end(), texts.begin(), report_value_text);
    return layout({rows, columns, bar_after, texts, std::move(marks), labelled_row}, style);
}

std::vector<mark> marks_of(const pass_record& pass, std::uint32_t order)
{
    std::vector<mark> marks(pass.after.size(), mark::plain);
    for (std::size_t i = 0; i < marks.size(); ++i)
        if (std::bit_cast<std::uint32_t>(pass.before[i]) != std::bit_cast<std::uint32_t>(pass.after[i]))
            marks[i] = mark::changed;
    for (const std::size_t place : pass.zeroed)
        marks[place] = mark::zeroed;
    marks[std::size_t{pass.pivot} * 2 * order + pass.pivot] = mark::pivot;
    return marks;
}

std::string pass_heading(const pass_record& pass)
{
    const bool forward = pass.phase == pass_phase::forward;
    return "step " + std::to_string(pass.step) + " (" + (forward ? "forward, pivot column " : "backward, pivot row ") +
           std::to_string(pass.pivot + 1) + ")";
}

std::string zeroed_line(const pass_record& pass, std::uint32_t order)
{
    constexpr std::size_t listed = 8;
    const std::size_t count = pass.zeroed.size();
    std::string line = "  " + std::to_string(count) + (count == 1 ? " entry" : " entries") +
                       " below 1e-6 set to 0:";
    for (std::size_t i = 0; i < std::min(count, listed); ++i)
        line += (i ? ", " : " ") + place_text(pass.zeroed[i], order);
    if (count > listed)
        line += " and " + std::to_string(count - listed) + " more";
    return line;
}

} // namespace

std::vector<std::string> operation_lines(const pass_record& pass, std::uint32_t order, const explain_style& style)
{
    std::vector<std::string> lines;
    if (pass.repair) {
        const std::string pivot_row = std::to_string(pass.pivot + 1);
        const std::string added = std::to_string(pass.repair->added_row + 1);
        lines.push_back("  pivot in row " + pivot_row + " is " + report_value_text(pass.repair->tiny_pivot) +
                        ", below 1e-6: row " + added + " added to row " + pivot_row + " first");
    }
    for (const row_step& op : pass.operations)
        lines.push_back("  row " + std::to_string(op.target + 1) + " += " + shortest_value_text(op.factor) + " " +
                        times_sign(style) + " row " + std::to_string(op.source + 1));
    if (!pass.zeroed.empty())
        lines.push_back(zeroed_line(pass, order));
    return lines;
}

std::vector<std::string> accuracy_lines(const accuracy& result, const explain_style& style)
{
    const bool fine = trustworthy(result);
    const auto row = [](const std::string& label, const std::string& value) {
        const std::size_t characters = display_width(label);
        return "  " + label + std::string(characters < 42 ? 42 - characters : 1, ' ') + value;
    };
    const auto where = [](std::size_t r, std::size_t c) {
        return " (row " + std::to_string(r + 1) + ", column " + std::to_string(c + 1) + ")";
    };
    std::vector<std::string> lines;
    lines.push_back(result.exact ? "accuracy check (against the exact inverse of A as read, X the inverse above)"
                                 : "accuracy check (estimated in double precision: too large to check exactly)");
    lines.push_back(row(std::string("residual max |A") + (style.unicode ? "\u00B7" : "*") + "X - I|",
                        short_number(result.residual)));
    lines.push_back(row(std::string("condition number of A (") + (style.unicode ? "\u221E" : "infinity") + "-norm)",
                        result.condition_text));
    if (!result.singular) {
        lines.push_back(row(result.exact ? "correct digits as printed (worst entry)" : "correct digits (worst entry)",
                            result.every_entry_exact ? std::string("all exact")
                                                     : digits_text(result.correct_digits) +
                                                           where(result.worst_row, result.worst_column)));
        if (result.exact)
            lines.push_back(row("correct digits as stored (worst entry)",
                                digits_text(result.stored_digits) +
                                    where(result.worst_stored_row, result.worst_stored_column)));
    }
    lines.push_back("  " + painted(accuracy_verdict(result, style.unicode), fine ? "\x1b[32m" : "\x1b[1;31m", style));
    return lines;
}

void explain_view::emit(const std::string& text)
{
    if (std::fwrite(text.data(), 1, text.size(), out_) != text.size())
        failed_ = true;
}

void explain_view::show_start(std::uint32_t order, const std::vector<float>& loaded)
{
    started_ = true;
    emit("start: [A | I], A as read\n" + layout_values(order, 2 * order, order, loaded, {}, SIZE_MAX, style_) + "\n");
}

void explain_view::show_pass(std::uint32_t order, const pass_record& pass)
{
    if (!started_)
        show_start(order, pass.before);
    std::string text = painted(pass_heading(pass), "\x1b[1m", style_) + "\n";
    for (const std::string& line : operation_lines(pass, order, style_))
        text += line + "\n";
    const std::size_t labelled = pass.repair ? pass.pivot : SIZE_MAX;
    text += layout_values(order, 2 * order, order, pass.after, marks_of(pass, order), labelled, style_) + "\n";
    emit(text);
}

void explain_view::show_end(const elimination_record& record)
{
    const std::uint32_t order = record.order();
    if (!started_)
        show_start(order, record.loaded());
    std::string text = "normalisation: every row divided by its diagonal entry\n";
    for (std::size_t r = 0; r < record.divisors().size(); ++r)
        text += "  row " + std::to_string(r + 1) + " " + (style_.unicode ? "\u00F7" : "/") + " " +
                report_value_text(record.divisors()[r]) + "\n";
    const std::vector<float> inverse = record.inverse();
    text += "\ninverse X\n" + layout_values(order, order, 0, inverse, {}, SIZE_MAX, style_) + "\n";
    for (const std::string& line : accuracy_lines(check_accuracy(record), style_))
        text += line + "\n";
    emit(text);
}

} // namespace torvane
