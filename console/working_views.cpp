#include "working_views.hpp"

#include "number_scan.hpp"
#include "run_files.hpp"
#include "terminal_text.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace torvane {

std::int32_t order_of(const std::string& dimension, const std::string& data)
{
    std::int32_t n = 0;
    const char* pos = dimension.data();
    const char* end = dimension.data() + dimension.size();
    if (scan_int(pos, end, n))
        return n;
    pos = data.data();
    return dimension.find_first_not_of(" \t\n\v\f\r") == std::string::npos &&
                   scan_int(pos, data.data() + data.size(), n)
               ? n
               : 0;
}

namespace {

bool write_whole_file(const std::string& path, const std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

working_views::working_views(const console_options& options) : page_path_(options.html_file)
{
    if (options.explain)
        explain_.emplace(stdout, explain_style_for(stdout, locale_terminal_encoding() == terminal_encoding::utf8));
    if (options.explain || page_path_)
        record_ = std::make_unique<elimination_record>([this](const pass_record& pass) { show(pass); });
}

std::string working_views::refusal(const std::string& dimension, const std::string& data) const
{
    if (!page_path_)
        return {};
    if (is_run_file(*page_path_))
        return "the page '" + *page_path_ + "' would be written over this directory's own \"mat.data\" or "
               "\"mat.result\"; give the page another name";
    const std::int32_t n = order_of(dimension, data);
    if (n > largest_html_order)
        return "an order of " + std::to_string(n) + " is more than a page can show: --html takes orders up to " +
               std::to_string(largest_html_order) + " (larger pages open too slowly in a browser); use --raw, or "
               "--explain, for larger matrices";
    return {};
}

void working_views::show(const pass_record& pass)
{
    if (explain_) {
        if (before_output) {
            before_output();
            before_output = nullptr;
        }
        explain_->show_pass(record_->order(), pass);
    }
    if (page_path_)
        page_.add_pass(record_->order(), pass);
}

std::string working_views::finish()
{
    if (!record_ || !record_->finished())
        return {};
    if (explain_) {
        explain_->show_end(*record_);
        if (explain_->output_failed() || std::fflush(stdout) != 0)
            return "could not write the explanation to standard output";
    }
    errno = 0;
    if (page_path_ && !write_whole_file(*page_path_, page_.finish(*record_)))
        return "cannot write the page '" + *page_path_ + "'" +
               (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
    return {};
}

} // namespace torvane
