#include "working_views.hpp"

#include "run_files.hpp"
#include "terminal_text.hpp"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <limits>

namespace torvane {
namespace {

std::string reason(int error_number) { return error_number != 0 ? std::string(": ") + std::strerror(error_number) : ""; }

std::string run_file_refusal(const std::string& page)
{
    return "the page '" + page + "' would be written over this directory's own \"mat.data\" or \"mat.result\", "
           "which the run writes; give the page another name";
}

bool same_file(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

} // namespace

working_views::working_views(const console_options& options) : page_path_(options.html_file)
{
    if (options.explain)
        explain_.emplace(stdout, explain_style_for(stdout, locale_terminal_encoding() == terminal_encoding::utf8));
    if (options.explain || page_path_)
        record_ = std::make_unique<elimination_record>([this](const pass_record& pass) { show(pass); });
}

std::string working_views::open_page(const std::optional<std::string>& data_file)
{
    if (!page_path_)
        return {};
    // By name first: a page that does not exist yet is created by the open.
    if (names_run_file(*page_path_))
        return run_file_refusal(*page_path_);
    switch (page_file_.open(*page_path_)) {
    case page_file::opening::opened:
        if (data_file && same_file(*data_file, *page_path_)) {
            page_file_.close_untouched();
            return "the page '" + *page_path_ + "' is the file the matrix was read from; give the page another name";
        }
        return {};
    case page_file::opening::run_file:
        return run_file_refusal(*page_path_);
    case page_file::opening::failed:
        break;
    }
    return "cannot write the page '" + *page_path_ + "'" + reason(page_file_.error_number());
}

std::int32_t working_views::largest_order() const
{
    return page_path_ ? largest_html_order : std::numeric_limits<std::int32_t>::max();
}

std::string working_views::order_refusal(std::int32_t order) const
{
    return "an order of " + std::to_string(order) + " is more than a page can show: --html takes orders up to " +
           std::to_string(largest_html_order) + " (larger pages open too slowly in a browser); use --raw, or "
           "--explain, for larger matrices";
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
    if (page_path_ && !page_file_.write(page_.finish(*record_)))
        return "cannot write the page '" + *page_path_ + "'" + reason(page_file_.error_number());
    return {};
}

} // namespace torvane
