#include "console_seam.hpp"

namespace torvane {

console_seam::console_seam(std::string dimension, std::string data, std::optional<terminal_encoding> view,
                           std::FILE* out)
    : dimension_(std::move(dimension)), data_(std::move(data)), view_(view), out_(out)
{
}

void console_seam::emit(std::string_view text)
{
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), out_) != text.size())
        output_failed_ = true;
}

// The report is checked whole before any of it is printed: a report that turns out to be
// cut short or changed must not reach standard output in part.
void console_seam::set_result_text(report_source& report)
{
    if (!report.verify() || out_ == nullptr)
        return;
    if (before_output)
        before_output();
    if (!view_) {
        report.read([this](std::string_view piece) { emit(piece); });
    } else {
        terminal_text converter(*view_);
        std::string converted;
        report.read([&](std::string_view piece) {
            converted.clear();
            converter.convert(piece, converted);
            emit(converted);
        });
        converted.clear();
        converter.finish(converted);
        emit(converted);
    }
    if (std::fflush(out_) != 0)
        output_failed_ = true;
}

} // namespace torvane
