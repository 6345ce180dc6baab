#include "html_view.hpp"

#include "accuracy_check.hpp"
#include "exact_view.hpp"
#include "explain_view.hpp"
#include "value_text.hpp"
#include "html_page_template.hpp"

#include <cmath>
#include <string_view>

namespace torvane {
namespace {

// A JSON string that is also safe inside a <script> element.
std::string json_string(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (c == '<')
            out += "\\u003c";
        else if (static_cast<unsigned char>(c) < 0x20)
            out += ' ';
        else
            out += c;
    }
    return out + "\"";
}

template <class T, class Show> std::string json_array(const std::vector<T>& items, Show show)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + show(items[i]);
    return out + "]";
}

std::string json_texts(const std::vector<float>& values)
{
    return json_array(values, [](float v) { return json_string(report_value_text(v)); });
}

// The entries whose text the pass changed, as runs along a row: row, first column, and
// the texts of the run joined by blanks. The rows a pass changes change in long stretches,
// so this keeps a place per run instead of per entry.
std::string changed_runs(const pass_record& pass, std::uint32_t order)
{
    std::string out = "[";
    const std::size_t width = 2 * std::size_t{order};
    for (std::size_t r = 0; r < order; ++r) {
        for (std::size_t c = 0; c < width;) {
            std::string run;
            const std::size_t first = c;
            for (; c < width; ++c) {
                const std::string now = report_value_text(pass.after[r * width + c]);
                if (now == report_value_text(pass.before[r * width + c]))
                    break;
                run += (run.empty() ? "" : " ") + now;
            }
            if (run.empty())
                ++c;
            else
                out += (out.size() > 1 ? "," : "") + std::to_string(r) + "," + std::to_string(first) + "," +
                       json_string(run);
        }
    }
    return out + "]";
}

// All the texts of a matrix, joined by blanks.
std::string joined_texts(const std::vector<float>& values)
{
    std::string out;
    for (const float v : values)
        out += (out.empty() ? "" : " ") + report_value_text(v);
    return json_string(out);
}

std::string pass_heading(const pass_record& pass)
{
    return "Step " + std::to_string(pass.step) +
           (pass.phase == pass_phase::forward ? ": forward, pivot column " : ": backward, pivot row ") +
           std::to_string(pass.pivot + 1);
}

// An operation line without the indent the terminal gives it.
std::string unindented(const std::string& line) { return json_string(line.substr(2)); }

std::string json_cells(const std::vector<exact_cell>& cells)
{
    return json_array(cells, [](const exact_cell& c) { return json_string(exact_cell_text(c, true)); });
}

// The places whose printed digits differ from the exact value's.
std::string json_differing(const std::vector<exact_cell>& cells)
{
    std::string out = "[";
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (cells[i].printed_differs)
            out += (out.size() > 1 ? "," : "") + std::to_string(i);
    return out + "]";
}

// The working in fractions: ex.start, ex.steps (h heading, o operations, f where single
// precision did otherwise, t the texts, m the places marked, b the pivot stayed 0),
// ex.dv, ex.x and ex.dg the digits of each entry of X.
std::string exact_json(const elimination_record& record, const std::vector<pass_record>& passes)
{
    const exact_account account = account_exactly(record, passes);
    std::string steps;
    for (const exact_step& step : account.steps)
        steps += std::string(steps.empty() ? "" : ",\n") + "{\"o\":" +
                 json_array(exact_operation_lines(step, true), json_string) +
                 ",\"f\":" + json_array(step.differences, json_string) + ",\"t\":" + json_cells(step.cells) +
                 ",\"m\":" + json_differing(step.cells) + ",\"b\":" + (step.divided_by_zero ? "true" : "false") + "}";
    const auto digits = [](double d) { return json_string(std::isinf(d) ? "exact" : digits_text(d)); };
    return "{\"start\":" + json_cells(account.start) + ",\n\"steps\":[" + steps + "],\n\"dv\":" +
           json_cells(account.divisors) + ",\"x\":" + json_cells(account.inverse) + ",\"xm\":" +
           json_differing(account.inverse) + ",\"dg\":" + json_array(account.digits, digits) + "}";
}

// The steps go into the page as scripts of about this size, each adding its steps to T: a
// browser runs a script whole and is free to do other work between two, where one script
// of all the steps (15 MB at order 100) kept it busy for 0.6 s or more.
constexpr std::size_t step_script_bytes = 256 * 1024;
constexpr std::string_view step_script_start = "</script><script>T.steps.push(";
constexpr std::string_view step_script_end = ");\n";

} // namespace

void html_page::add_pass(std::uint32_t order, const pass_record& pass)
{
    const explain_style plain{false, true};
    if (steps_.empty() || steps_.size() - piece_start_ >= step_script_bytes) {
        if (!steps_.empty())
            steps_ += step_script_end;
        piece_start_ = steps_.size();
        steps_ += step_script_start;
    } else {
        steps_ += ",\n";
    }
    steps_ += "{\"h\":" + json_string(pass_heading(pass)) +
              ",\"o\":" + json_array(operation_lines(pass, order, plain), unindented) +
              ",\"p\":" + std::to_string(pass.pivot) + ",\"r\":" + (pass.repair ? "true" : "false") +
              ",\"z\":" + json_array(pass.zeroed, [](std::size_t z) { return std::to_string(z); }) +
              ",\"d\":" + changed_runs(pass, order) + "}";
    if (order <= static_cast<std::uint32_t>(largest_exact_order))
        passes_.push_back(pass);
}

std::string html_page::finish(const elimination_record& record) const
{
    const explain_style plain{false, true};
    const accuracy check = check_accuracy(record);
    const std::string result = "{\"dv\":" + json_texts(record.divisors()) + ",\"x\":" + json_texts(record.inverse()) +
                               ",\"acc\":" + json_array(accuracy_lines(check, plain), json_string) +
                               ",\"ok\":" + (trustworthy(check) ? "true" : "false") + "}";
    const bool with_fractions =
        record.order() <= static_cast<std::uint32_t>(largest_exact_order) && record.findings().loaded_finite;
    return std::string(html_template::page_head) + "{\"n\":" + std::to_string(record.order()) +
           ",\n\"start\":" + joined_texts(record.loaded()) + ",\n\"steps\":[]};\n" + steps_ +
           (steps_.empty() ? std::string() : std::string(step_script_end)) + "</script><script>T.result = " + result +
           (with_fractions ? ";\nT.ex = " + exact_json(record, passes_) : std::string()) +
           std::string(html_template::page_script);
}

} // namespace torvane
