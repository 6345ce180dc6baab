// The page's side of a press of the compute button. The page's worker hands over the two
// box texts; the run is the dialog's own compute run, on the worker's in-memory file
// system, so "mat.data" and "mat.result" get the bytes the desktop programs write. The
// worker reads both files from there afterwards. Asked for, a run of an order the step
// view can show also writes that view, the page `torvane --html` writes, to "working.html"
// (at N = 100 recording it takes longer than the run itself).

#include "compute_run.hpp"
#include "elimination_record.hpp"
#include "html_view.hpp"
#include "run_messages.hpp"
#include "state.hpp"
#include "working_views.hpp"

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

// The largest order a page runs. Its report, which grows with N^3, is held in the
// browser's memory and handed from the worker to the page in one message, which Chromium
// limits to 2 GB: at the most a value takes (14 bytes with its blanks) the report of
// order 300 is 1.5 GB. In headless Chromium order 350 (a report of 1.5 GB of integers)
// took 42 s; order 400 (2.3 GB) could not be handed over.
constexpr std::int32_t largest_page_order = 300;

class page_seam final : public dialog_seam {
public:
    page_seam(std::string dimension, std::string data) : dimension_(std::move(dimension)), data_(std::move(data)) {}
    std::string dimension_text() override { return dimension_; }
    std::string data_text() override { return data_; }
    // The worker takes the report from the file itself; here it is only checked to be
    // whole, so a report that did not come back as written is not shown.
    void set_result_text(report_source& report) override { report.verify(); }

private:
    std::string dimension_;
    std::string data_;
};

void tell_page_step(std::int32_t step, std::int32_t total_steps) { tell_worker_step(step, total_steps); }

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

// The run, watched by the step view's record when the order is one a page can show.
run_status run_watched(page_seam& seam, bool with_working)
{
    std::remove(working_file_name);
    if (!with_working)
        return compute_run(seam);
    html_page page;
    std::unique_ptr<elimination_record> record;
    record = std::make_unique<elimination_record>([&](const pass_record& pass) { page.add_pass(record->order(), pass); });
    const run_status status = compute_run(seam);
    if (status.outcome == run_outcome::completed && record->finished())
        write_whole_file(working_file_name, page.finish(*record));
    return status;
}

// The outcome, the order, and for a failure the console's message and the dialog's (GBK),
// one to a line.
std::string answer_lines(const run_status& status)
{
    std::string lines = std::string(outcome_name(status.outcome)) + "\n" + std::to_string(status.order) + "\n";
    if (status.outcome == run_outcome::failed)
        lines += describe_failure_english(status) + "\n" + describe_failure_chinese_gbk(status) + "\n";
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
    page_seam seam({dimension, dimension_size}, {data, data_size});
    const std::int32_t order = order_of(seam.dimension_text(), seam.data_text());
    if (order > largest_page_order)
        return copy_for_caller("too_large_for_page\n" + std::to_string(order) + "\n" +
                               std::to_string(largest_page_order) + "\n");
    tell_worker_order(order);
    on_step_written = tell_page_step;
    const run_status status = run_watched(seam, with_working != 0 && order > 0 && order <= largest_html_order);
    on_step_written = nullptr;
    return copy_for_caller(answer_lines(status));
}
