#include "console_seam.hpp"

#include <cerrno>

#include "terminal.hpp"

namespace torvane {

console_seam::console_seam(std::string dimension, std::string data, std::optional<terminal_encoding> view,
                           std::FILE* out)
    : dimension_(std::move(dimension)), data_(std::move(data)), view_(view), out_(out)
{
}

// Notes the first failure and its errno; later writes are not tried.
void console_seam::fail_output()
{
    if (!output_failed_)
        output_error_ = errno;
    output_failed_ = true;
}

void console_seam::emit(std::string_view text)
{
    if (output_failed_)
        return;  // a reader that has gone, or a full disk: the rest would only fail as well
    errno = 0;
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), out_) != text.size())
        fail_output();
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
        // Byte for byte: the system copies the file to standard output where it can.
        switch (report.send_to(out_)) {
        case report_source::sending::done:
            break;
        case report_source::sending::failed:
            fail_output();
            break;
        case report_source::sending::not_possible:
            widen_pipe(out_);
            report.read([this](std::string_view piece) { emit(piece); });
            break;
        }
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
    errno = 0;
    if (std::fflush(out_) != 0)
        fail_output();
}

} // namespace torvane
