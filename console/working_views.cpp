#include "working_views.hpp"

#include "compute_run.hpp"
#include "exact_view.hpp"
#include "file_identity.hpp"
#include "latex_view.hpp"
#include "run_files.hpp"
#include "terminal_text.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace torvane {
namespace {

std::string reason(int error_number) { return error_number != 0 ? std::string(": ") + std::strerror(error_number) : ""; }

std::string run_file_refusal(const char* what, const std::string& path)
{
    return std::string("the ") + what + " '" + path + "' would be written over this directory's own \"mat.data\" or "
           "\"mat.result\", which the run writes; give the " + what + " another name";
}

// Colour only for a terminal, and only where the user wants it; plain text otherwise so the
// output can be saved and compared. Signs such as "×" only where the locale is UTF-8.
explain_style style_for_standard_output()
{
    return {is_terminal(stdout) && colour_wanted(), locale_terminal_encoding() == terminal_encoding::utf8};
}

bool write_out(const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}

} // namespace

working_views::working_views(const console_options& options)
    : exact_(options.exact), style_(style_for_standard_output())
{
    page_.path = options.html_file;
    latex_.path = options.latex_file;
    if (options.explain)
        explain_.emplace(stdout, style_);
    if (options.explain || page_.path || exact_ || latex_.path)
        record_ = std::make_unique<elimination_record>([this](const pass_record& pass) { show(pass); });
}

std::string working_views::open_file(output_file& output, const std::optional<std::string>& data_file,
                                     const output_file* other)
{
    if (!output.path)
        return {};
    const std::string& path = *output.path;
    // By name first: a file that does not exist yet is created by the open.
    if (names_run_file(path))
        return run_file_refusal(output.what, path);
    switch (output.file.open(path, {data_file_name, report_file_name})) {
    case page_file::opening::opened:
        if (data_file && same_file(*data_file, path)) {
            output.file.close_untouched();
            return std::string("the ") + output.what + " '" + path + "' is the file the matrix was read from; give the " +
                   output.what + " another name";
        }
        if (other && other->path && same_file(*other->path, path)) {
            output.file.close_untouched();
            return "the page and the LaTeX file are one file, '" + path + "'; give them two names";
        }
        return {};
    case page_file::opening::refused:
        return run_file_refusal(output.what, path);
    case page_file::opening::failed:
        break;
    }
    return std::string("cannot write the ") + output.what + " '" + path + "'" + reason(output.file.error_number());
}

std::string working_views::open_files(const std::optional<std::string>& data_file)
{
    if (std::string refusal = open_file(page_, data_file, nullptr); !refusal.empty())
        return refusal;
    return open_file(latex_, data_file, &page_);
}

std::int32_t working_views::largest_order() const
{
    std::int32_t largest = std::numeric_limits<std::int32_t>::max();
    if (page_.path)
        largest = std::min(largest, largest_html_order);
    if (exact_)
        largest = std::min(largest, largest_exact_order);
    if (latex_.path)
        largest = std::min(largest, largest_latex_order);
    return largest;
}

std::string working_views::order_refusal(std::int32_t order) const
{
    const std::string size = "an order of " + std::to_string(order);
    if (exact_ && order > largest_exact_order)
        return size + " is more than the working in fractions can show: --exact takes orders up to " +
               std::to_string(largest_exact_order) + " (larger fractions run to hundreds of digits); use --explain, "
               "whose accuracy check is exact, for larger matrices";
    if (latex_.path && order > largest_latex_order)
        return size + " is more than a page of LaTeX can show: --latex takes orders up to " +
               std::to_string(largest_latex_order) + "; use --explain or --html for larger matrices";
    return size + " is more than a page can show: --html takes orders up to " + std::to_string(largest_html_order) +
           " (larger pages open too slowly in a browser); use --raw, or --explain, for larger matrices";
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
    if (page_.path)
        html_.add_pass(record_->order(), pass);
    if (exact_ || latex_.path)
        passes_.push_back(pass);
}

std::string working_views::finish_exact()
{
    const accuracy check = check_accuracy(*record_);
    std::optional<exact_account> account;
    if (exact_) {
        account = account_exactly(*record_, passes_);
        if (!write_out(exact_view_text(*account, check, style_)))
            return "could not write the working in fractions to standard output";
    }
    if (latex_.path) {
        const std::string document = account ? latex_exact_document(*account, check) : latex_document(*record_, passes_, check);
        if (!latex_.file.write(document))
            return "cannot write the LaTeX file '" + *latex_.path + "'" + reason(latex_.file.error_number());
    }
    return {};
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
    if (page_.path && !page_.file.write(html_.finish(*record_)))
        return "cannot write the page '" + *page_.path + "'" + reason(page_.file.error_number());
    return exact_ || latex_.path ? finish_exact() : std::string();
}

} // namespace torvane
