#pragma once
// The views of the working, --explain and --html: while the compute run goes on they
// watch the elimination, and once it is over they finish what they show. The run itself,
// its two files and its report, is the same with or without them.

#include "explain_view.hpp"
#include "html_view.hpp"
#include "options.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace torvane {

// N as the engine will read it from the dimension text, a line feed and the data text;
// 0 when there is none. A blank dimension text leaves N to the data text.
std::int32_t order_of(const std::string& dimension, const std::string& data);

class working_views {
public:
    // Starts watching when the options ask for a view.
    explicit working_views(const console_options& options);
    bool active() const { return record_ != nullptr; }

    // Why the run must not start, for the user, or empty: a page asked for a larger
    // order than a page can carry, or to be written over one of the run's own files.
    std::string refusal(const std::string& dimension, const std::string& data) const;

    // Called once, during the run, before the explanation's first pass goes out.
    std::function<void()> before_output;

    // After a completed run: the end of the explanation, or the page written. Empty, or
    // why that failed.
    std::string finish();

private:
    void show(const pass_record& pass);

    std::optional<std::string> page_path_;
    std::optional<explain_view> explain_;
    html_page page_;
    std::unique_ptr<elimination_record> record_;
};

} // namespace torvane
