#include "report.hpp"

#include "format_value.hpp"
#include "state.hpp"

#include <charconv>
#include <cstring>

namespace torvane {
namespace {

char* format_values(const float* values, std::size_t count, char* out)
{
    for (std::size_t c = 0; c < count; ++c)
        out = put_value(values[c], out);
    return out;
}

} // namespace

char* put_value(float value, char* out) { return put_text(format_value(value, out), report_text::value_terminator); }

char* put_text(char* out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

std::size_t row_line_capacity(std::size_t values)
{
    return values * (max_value_chars + report_text::value_terminator.size()) + report_text::half_separator.size() +
           report_text::line_break.size() + value_scratch_chars;
}

char* format_step_row(const float* row, std::size_t order, char* out)
{
    return put_step_row(order, out, [row](std::size_t column, char* at) { return put_value(row[column], at); });
}

void write_step_header(std::int32_t step)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, step).ptr;
    out_file.write(report_text::step_prefix);
    out_file.write(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    out_file.write(report_text::step_suffix);
    out_file.write(report_text::line_break);
}

void write_inverse()
{
    const auto order = static_cast<std::size_t>(dimension > 0 ? dimension : 0);
    const std::size_t capacity = row_line_capacity(order);
    for (std::size_t r = 0; r < order; ++r) {
        char* out = out_file.reserve(capacity);
        out = format_values(matrix.row(r) + order, order, out);
        out_file.commit(put_text(out, report_text::line_break));
    }
}

void write_inverse_heading()
{
    out_file.write(report_text::line_break);
    out_file.write(report_text::rule);
    out_file.write(report_text::line_break);
    out_file.write(report_text::inverse_heading);
    out_file.write(report_text::line_break);
}

void write_closing_rule()
{
    out_file.write(report_text::rule);
    out_file.write(report_text::line_break);
}

} // namespace torvane
