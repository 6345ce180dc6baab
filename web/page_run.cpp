// The page's side of a press of the compute button. The page's worker hands over the two
// box texts; the run is the dialog's own compute run, on the worker's in-memory file
// system, so "mat.data" and "mat.result" get the bytes the desktop programs write. The
// worker reads both files from there afterwards. Asked for, a run of an order the step
// view can show also writes that view, the page `torvane --html` writes, to "working.html"
// (at N = 100 recording it takes longer than the run itself), and for the orders a LaTeX
// page holds, the working in fractions as a LaTeX document to "working.tex".

#include "compute_run.hpp"
#include "elimination_record.hpp"
#include "exact_account.hpp"
#include "html_view.hpp"
#include "latex_view.hpp"
#include "reading_stop.hpp"
#include "run_messages.hpp"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

// The worker passes each step on to the page, which shows it on the progress line.
EM_JS(void, tell_worker_step, (std::int32_t step, std::int32_t total_steps), {
    if (Module.onStep)
        Module.onStep(step, total_steps);
});

// Before the run: the order it will have, so the worker can make room for the report.
EM_JS(void, tell_worker_order, (std::int32_t order), {
    if (Module.onOrder)
        Module.onOrder(order);
});

namespace torvane {
namespace {

constexpr const char* working_file_name = "working.html";
constexpr const char* latex_file_name = "working.tex";

// The largest order a page runs. Its report, which grows with N^3, is held in the
// browser's memory and handed from the worker to the page in one message, which Chromium
// limits to 2 GB: at the most a value takes (14 bytes with its blanks) the report of
// order 300 is 1.5 GB. In headless Chromium order 350 (a report of 1.5 GB of integers)
// took 42 s; order 400 (2.3 GB) could not be handed over.
constexpr std::int32_t largest_page_order = 300;

// The press's box texts. Once the run has read N and taken it, the worker makes room for
// the report, and the step view, when asked for and the order allows it, starts: the seam
// is the run's watcher, and follows the run, passing what it is told on to the view's
// record, only when that record was made.
class page_seam final : public front_end, public elimination_observer {
public:
    page_seam(std::string dimension, std::string data, bool with_working)
        : dimension_(std::move(dimension)), data_(std::move(data)), with_working_(with_working)
    {
    }
    std::string dimension_text() override { return dimension_; }
    std::string data_text() override { return data_; }
    // The worker takes the report from the file itself; here it is only checked to be
    // whole, so a report that did not come back as written is not shown.
    void set_result_text(report_source& report) override { report.verify(); }
    std::int32_t largest_order() const override { return largest_page_order; }
    void order_taken(std::int32_t order) override
    {
        tell_worker_order(order);
        if (with_working_ && order <= largest_html_order)
            record_ = std::make_unique<elimination_record>([this](const pass_record& pass) {
                page_.add_pass(record_->order(), pass);
                if (record_->order() <= static_cast<std::uint32_t>(largest_latex_order))
                    passes_.push_back(pass);
            });
    }

    bool follows_this_run() const override { return record_ != nullptr; }
    void elimination_started(const working_matrix& loaded) override { record_->elimination_started(loaded); }
    void pivot_repaired(std::uint32_t pivot_row, std::uint32_t added_row, float tiny_pivot) override
    {
        record_->pivot_repaired(pivot_row, added_row, tiny_pivot);
    }
    void rows_combined(std::uint32_t target, std::uint32_t source, float factor) override
    {
        record_->rows_combined(target, source, factor);
    }
    void tiny_entries_zeroed(const std::vector<std::size_t>& places) override { record_->tiny_entries_zeroed(places); }
    void pass_ended(std::int32_t step, pass_phase phase, std::uint32_t pivot, const working_matrix& result) override
    {
        record_->pass_ended(step, phase, pivot, result);
    }
    void row_normalized(std::uint32_t row, float divisor) override { record_->row_normalized(row, divisor); }
    void elimination_finished(const working_matrix& result) override { record_->elimination_finished(result); }

    bool with_working() const { return with_working_; }
    // The box texts as the run read them, for what is said about that reading.
    input_texts texts() const { return {dimension_, data_, {text_origin::source::command_line, {}, false, true}}; }

    // After a completed run: the step view's page, or empty when none was watched.
    std::string working_page()
    {
        return record_ && record_->finished() ? page_.finish(*record_) : std::string();
    }
    // The working in fractions as a LaTeX document, or empty when the order is too large.
    std::string working_latex()
    {
        if (!record_ || !record_->finished() || record_->order() > static_cast<std::uint32_t>(largest_latex_order))
            return {};
        return latex_exact_document(account_exactly(*record_, passes_), check_accuracy(*record_));
    }

private:
    std::string dimension_;
    std::string data_;
    bool with_working_;
    html_page page_;
    std::vector<pass_record> passes_;
    std::unique_ptr<elimination_record> record_;
};

const char* outcome_name(run_outcome outcome)
{
    switch (outcome) {
    case run_outcome::completed:
        return "completed";
    case run_outcome::no_order:
        return "no_order";
    case run_outcome::failed:
        return "failed";
    case run_outcome::interrupted:
        break;
    }
    return "interrupted";
}

bool write_whole_file(const char* path, const std::string& text)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

// The run; the step view's page, when one was watched, goes to working_file_name.
run_status run_watched(page_seam& seam)
{
    std::remove(working_file_name);
    std::remove(latex_file_name);
    run_options options;
    if (seam.with_working())
        options.watcher = &seam;
    options.step_written = tell_worker_step;
    const run_status status = compute_run(seam, options);
    if (status.outcome == run_outcome::completed)
        if (const std::string page = seam.working_page(); !page.empty()) {
            write_whole_file(working_file_name, page);
            if (const std::string latex = seam.working_latex(); !latex.empty())
                write_whole_file(latex_file_name, latex);
        }
    return status;
}

// The outcome and the order, one to a line, then what the page says of the run: for a
// failure the console's message and the dialog's (GBK); for no order, why, as the console
// words it; for a completed run, the console's note of where reading stopped (or an empty
// line when every entry was read) and the largest order the step view shows. The notes
// quote the box texts, which are GBK; no line holds a line end of its own.
std::string answer_lines(const run_status& status, const page_seam& seam)
{
    std::string lines = std::string(outcome_name(status.outcome)) + "\n" + std::to_string(status.order) + "\n";
    switch (status.outcome) {
    case run_outcome::failed:
        lines += describe_failure_english(status) + "\n" + describe_failure_chinese_gbk(status) + "\n";
        break;
    case run_outcome::no_order:
        lines += no_order_reason(status.reading, seam.texts()) + ", so nothing was computed\n";
        break;
    case run_outcome::completed:
        lines += reading_stop_note(status.reading, seam.texts()) + "\n" + std::to_string(largest_html_order) + "\n";
        break;
    case run_outcome::interrupted:
        break;
    }
    return lines;
}

// In memory the caller frees; null when there is none.
char* copy_for_caller(const std::string& text)
{
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

} // namespace
} // namespace torvane

// Runs one press with the box texts (bytes, NULs included), with the step view when
// `with_working` asks for it and the order allows it. Returns the answer's lines in memory
// the caller frees.
extern "C" EMSCRIPTEN_KEEPALIVE char* torvane_page_run(const char* dimension, std::size_t dimension_size,
                                                       const char* data, std::size_t data_size, int with_working)
{
    using namespace torvane;
    page_seam seam({dimension, dimension_size}, {data, data_size}, with_working != 0);
    const run_status status = run_watched(seam);
    if (status.failure == run_failure::refused_by_front_end)
        return copy_for_caller("too_large_for_page\n" + std::to_string(status.order) + "\n" +
                               std::to_string(largest_page_order) + "\n");
    return copy_for_caller(answer_lines(status, seam));
}
