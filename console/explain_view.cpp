#include "explain_view.hpp"

#include "format_value.hpp"
#include "is_terminal.hpp"
#include "terminal_text.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdlib>


namespace torvane {
namespace {

enum class mark { plain, changed, zeroed, pivot };

constexpr const char* colour_of(mark m)
{
    switch (m) {
    case mark::changed: return "\x1b[36m";   // cyan
    case mark::zeroed: return "\x1b[32m";    // green
    case mark::pivot: return "\x1b[1;33m";   // bold yellow
    case mark::plain: break;
    }
    return "";
}
constexpr const char* colour_repair = "\x1b[1;35m";  // bold magenta
constexpr const char* colour_reset = "\x1b[0m";

std::string painted(const std::string& text, const char* colour, const explain_style& style)
{
    return style.colour && *colour ? colour + text + colour_reset : text;
}

const char* times_sign(const explain_style& style) { return style.unicode ? "\u00D7" : "x"; }

// A matrix entry exactly as the report writes it.
std::string entry_text(float value)
{
    char buffer[max_value_chars + value_scratch_chars];
    return std::string(buffer, format_value(value, buffer));
}

// A factor the engine used, in the fewest digits that give back its exact float, so the
// operation can be redone from the text.
std::string factor_text(float factor)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, factor).ptr);
}

std::string place_text(std::size_t place, std::uint32_t order)
{
    return "(" + std::to_string(place / (2 * order) + 1) + ", " + std::to_string(place % (2 * order) + 1) + ")";
}

std::string pad_left(const std::string& text, std::size_t width)
{
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// A rows x columns block of entries, columns right-aligned and numbered from 1, with the
// bar after column `bar_after` (0 for none) and a label for the row `labelled_row`.
struct table {
    std::size_t rows;
    std::size_t columns;
    std::size_t bar_after;
    const std::vector<float>& values;
    std::vector<mark> marks;  // empty: all plain
    std::size_t labelled_row = SIZE_MAX;
};

std::string layout(const table& t, const explain_style& style)
{
    std::vector<std::string> texts(t.values.size());
    std::transform(t.values.begin(), t.values.end(), texts.begin(), entry_text);
    std::vector<std::size_t> widths(t.columns);
    for (std::size_t c = 0; c < t.columns; ++c) {
        widths[c] = std::to_string(c + 1).size();
        for (std::size_t r = 0; r < t.rows; ++r)
            widths[c] = std::max(widths[c], texts[r * t.columns + c].size());
    }
    const std::size_t label_width = std::to_string(t.rows).size() + 2;
    const auto line = [&](auto cell, const std::string& label) {
        std::string out = pad_left(label, label_width);
        for (std::size_t c = 0; c < t.columns; ++c) {
            out += "  " + cell(c);
            if (c + 1 == t.bar_after)
                out += " |";
        }
        return out + "\n";
    };
    std::string out = line([&](std::size_t c) { return pad_left(std::to_string(c + 1), widths[c]); }, "");
    for (std::size_t r = 0; r < t.rows; ++r) {
        const auto cell = [&](std::size_t c) {
            const std::size_t i = r * t.columns + c;
            const mark m = t.marks.empty() ? mark::plain : t.marks[i];
            return pad_left("", widths[c] - texts[i].size()) + painted(texts[i], colour_of(m), style);
        };
        const std::string label = std::to_string(r + 1);
        out += line(cell, r == t.labelled_row ? painted(label, colour_repair, style) : label);
    }
    return out;
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

explain_style explain_style_for(std::FILE* out, bool unicode)
{
    return {is_terminal(out) && colour_wanted(), unicode};
}

std::vector<std::string> operation_lines(const pass_record& pass, std::uint32_t order, const explain_style& style)
{
    std::vector<std::string> lines;
    if (pass.repair) {
        const std::string pivot_row = std::to_string(pass.pivot + 1);
        const std::string added = std::to_string(pass.repair->added_row + 1);
        lines.push_back("  pivot in row " + pivot_row + " is " + entry_text(pass.repair->tiny_pivot) +
                        ", below 1e-6: row " + added + " added to row " + pivot_row + " first");
    }
    for (const row_step& op : pass.operations)
        lines.push_back("  row " + std::to_string(op.target + 1) + " += " + factor_text(op.factor) + " " +
                        times_sign(style) + " row " + std::to_string(op.source + 1));
    if (!pass.zeroed.empty())
        lines.push_back(zeroed_line(pass, order));
    return lines;
}

std::vector<std::string> accuracy_lines(const accuracy& result, const explain_style& style)
{
    const bool fine = trustworthy(result);
    const auto row = [](const std::string& label, const std::string& value) {
        // Padded by characters, not bytes: the signs are two bytes in UTF-8.
        const auto starts_a_character = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; };
        const auto characters = static_cast<std::size_t>(std::count_if(label.begin(), label.end(), starts_a_character));
        return "  " + label + std::string(characters < 42 ? 42 - characters : 1, ' ') + value;
    };
    const std::string where =
        " (row " + std::to_string(result.worst_row + 1) + ", column " + std::to_string(result.worst_column + 1) + ")";
    return {
        "accuracy check (in double precision, A as read, X the inverse above)",
        row(std::string("residual max |A") + (style.unicode ? "\u00B7" : "*") + "X - I|", short_number(result.residual)),
        row(std::string("condition number of A (") + (style.unicode ? "\u221E" : "infinity") + "-norm)",
            short_number(result.condition)),
        row("correct digits of the worst entry of X", digits_text(result.correct_digits) + where),
        "  " + painted(accuracy_verdict(result, style.unicode), fine ? "\x1b[32m" : "\x1b[1;31m", style),
    };
}

void explain_view::emit(const std::string& text)
{
    if (std::fwrite(text.data(), 1, text.size(), out_) != text.size())
        failed_ = true;
}

void explain_view::show_start(std::uint32_t order, const std::vector<float>& loaded)
{
    started_ = true;
    emit("start: [A | I], A as read\n" + layout({order, 2 * order, order, loaded, {}}, style_) + "\n");
}

void explain_view::show_pass(std::uint32_t order, const pass_record& pass)
{
    if (!started_)
        show_start(order, pass.before);
    std::string text = painted(pass_heading(pass), "\x1b[1m", style_) + "\n";
    for (const std::string& line : operation_lines(pass, order, style_))
        text += line + "\n";
    const std::size_t labelled = pass.repair ? pass.pivot : SIZE_MAX;
    text += layout({order, 2 * order, order, pass.after, marks_of(pass, order), labelled}, style_) + "\n";
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
                entry_text(record.divisors()[r]) + "\n";
    const std::vector<float> inverse = record.inverse();
    text += "\ninverse X\n" + layout({order, order, 0, inverse, {}}, style_) + "\n";
    for (const std::string& line : accuracy_lines(check_accuracy(record), style_))
        text += line + "\n";
    emit(text);
}

} // namespace torvane
