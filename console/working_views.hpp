#pragma once
// The views of the working, --explain, --exact, --html and --latex: while the compute run
// goes on they watch the elimination, and once it is over they finish what they show.
// The run itself, its two files and its report, is the same with or without them.

#include "explain_view.hpp"
#include "html_view.hpp"
#include "options.hpp"
#include "page_file.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace torvane {

class working_views {
public:
    explicit working_views(const console_options& options);
    bool active() const { return record_ != nullptr; }
    // The run's watcher when the options ask for a view, else null.
    elimination_observer* watcher() const { return record_.get(); }

    // Before the run: opens the page and the LaTeX file, so that the run does not start
    // when one cannot be written, or is one of the run's own files or the file the data
    // was read from (`data_file`, when there is one). Why not, for the user, or empty.
    std::string open_files(const std::optional<std::string>& data_file);
    // The largest order the views can show; a larger one ends the run once N is read.
    std::int32_t largest_order() const;
    // Why such a run ended, for the user.
    std::string order_refusal(std::int32_t order) const;

    // Called once, during the run, before the explanation's first pass goes out.
    std::function<void()> before_output;

    // After a completed run: the end of the explanation, or the page written. Empty, or
    // why that failed.
    std::string finish();

private:
    struct output_file {
        const char* what;  // "page", "LaTeX file"
        std::optional<std::string> path;
        page_file file;
    };
    void show(const pass_record& pass);
    std::string open_file(output_file& output, const std::optional<std::string>& data_file,
                          const output_file* other);
    std::string finish_exact();

    std::optional<explain_view> explain_;
    bool exact_ = false;
    explain_style style_;
    output_file page_{"page", std::nullopt, {}};
    output_file latex_{"LaTeX file", std::nullopt, {}};
    html_page html_;
    std::vector<pass_record> passes_;  // kept for the views in fractions
    std::unique_ptr<elimination_record> record_;
};

} // namespace torvane
