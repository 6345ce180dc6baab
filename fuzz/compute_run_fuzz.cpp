// Arbitrary dimension and data texts through the whole compute run, in a scratch directory
// of its own. Every input must end in one of the run's defined outcomes with files and a
// result box that agree with it:
// - the order is what a C++ stream extracts from "mat.data" (the independent reading);
// - no positive order: nothing is shown and "mat.result" is empty;
// - an order too large for this machine's memory: the clear failure, nothing shown, no report;
// - otherwise the run completes, "mat.result" has exactly the lines its order implies, laid
//   out as step blocks, normalisation breaks, the framed inverse and the closing rule, and
//   the result box shows exactly that file;
// - "mat.data" holds the dimension text, a line feed and the data text as given.
// Orders from 13 up to what memory refuses are left out (the input is rejected) so that a
// case stays small; the refusal itself costs nothing and is kept.

#include "fuzz_check.hpp"

#include "compute_run.hpp"
#include "order_limits.hpp"
#include "read_report.hpp"
#include "system_limits.hpp"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace torvane;
namespace fs = std::filesystem;

constexpr std::int32_t largest_order_run = 12;

class recording_dialog final : public dialog_seam {
public:
    recording_dialog(std::string dimension, std::string data) : dimension_(std::move(dimension)), data_(std::move(data))
    {
    }
    std::string dimension_text() override { return dimension_; }
    std::string data_text() override { return data_; }
    void set_result_text(report_source& report) override
    {
        ++times_set;
        complete = read_report(report, shown);
    }

    std::string shown;
    bool complete = false;
    int times_set = 0;

private:
    std::string dimension_;
    std::string data_;
};

std::string file_text(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    FUZZ_CHECK(in.is_open());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The order as a standard stream reads it from the text the run saves; empty when no
// integer can be read (the run then has no order either).
std::optional<std::int32_t> stream_order(const std::string& dimension, const std::string& data)
{
    if (dimension.empty() || data.empty())
        return std::nullopt;  // "mat.data" is left without an order, or is never read
    std::istringstream in(dimension + "\n" + data);
    std::int32_t n = 0;
    if (!(in >> n))
        return std::nullopt;
    return n;
}

std::vector<std::string_view> split_lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        FUZZ_CHECK(end != std::string_view::npos);  // every line, the last included, ends in CR LF
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return lines;
}

bool is_value_char(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'i' || c == 'n' ||
           c == 'f' || c == 'a';
}

// `count` values, each followed by two blanks; a step row has " | " after them and `count`
// more values.
void check_value_line(std::string_view line, std::int32_t count, bool with_right_half)
{
    for (int half = 0; half < (with_right_half ? 2 : 1); ++half) {
        if (half == 1) {
            FUZZ_CHECK(line.substr(0, 3) == " | ");
            line.remove_prefix(3);
        }
        for (std::int32_t v = 0; v < count; ++v) {
            std::size_t length = 0;
            while (length < line.size() && is_value_char(line[length]))
                ++length;
            FUZZ_CHECK(length >= 1 && length <= 12);
            line.remove_prefix(length);
            FUZZ_CHECK(line.substr(0, 2) == "  ");
            line.remove_prefix(2);
        }
    }
    FUZZ_CHECK(line.empty());
}

void check_report_layout(const std::string& report, std::int32_t n)
{
    const std::vector<std::string_view> lines = split_lines(report);
    const std::size_t steps = 2 * static_cast<std::size_t>(n) - 2;
    const std::size_t block = static_cast<std::size_t>(n) + 2;
    FUZZ_CHECK(lines.size() == steps * block + 2 * static_cast<std::size_t>(n) + 4);

    std::size_t at = 0;
    for (std::size_t step = 1; step <= steps; ++step) {
        FUZZ_CHECK(lines[at++] == "\xB5\xDA " + std::to_string(step) + "\xB2\xBD");
        for (std::int32_t r = 0; r < n; ++r)
            check_value_line(lines[at++], n, true);
        FUZZ_CHECK(lines[at++].empty());
    }
    for (std::int32_t r = 0; r <= n; ++r)  // one break per normalised row, then the frame's
        FUZZ_CHECK(lines[at++].empty());
    FUZZ_CHECK(lines[at++] == "########################");
    FUZZ_CHECK(lines[at++] == "\xC7\xF3\xC4\xE6\xBD\xE1\xB9\xFB\xA3\xBA");
    for (std::int32_t r = 0; r < n; ++r)
        check_value_line(lines[at++], n, false);
    FUZZ_CHECK(lines[at++] == "########################");
    FUZZ_CHECK(at == lines.size());
    FUZZ_CHECK(report.size() >= 26 && report.compare(report.size() - 26, 26, "########################\r\n") == 0);
}

run_status run_once(recording_dialog& dialog)
{
    const run_status status = compute_run(dialog);
    FUZZ_CHECK(status.outcome == run_outcome::completed || status.outcome == run_outcome::no_order ||
               status.outcome == run_outcome::failed);
    FUZZ_CHECK((status.outcome == run_outcome::failed) == (status.failure != run_failure::none));
    return status;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Memory-backed when the machine has it: every input rewrites both files.
    const fs::path base = access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path scratch = base / ("torvane-fuzz-" + std::to_string(getpid()));
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    fs::current_path(scratch);
    std::atexit([] {
        std::error_code ignored;
        const fs::path here = fs::current_path(ignored);
        fs::current_path(here.parent_path(), ignored);
        fs::remove_all(here, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const fuzz::box_texts texts = fuzz::split_input(bytes, size);
    const std::optional<std::int32_t> order = stream_order(texts.dimension, texts.data);
    const bool no_order = !order || *order <= 0;
    const bool beyond_memory = !no_order && matrix_bytes(*order) > physical_memory_bytes();
    if (!no_order && !beyond_memory && *order > largest_order_run)
        return -1;  // a real run of this size is too slow for fuzzing

    recording_dialog dialog(texts.dimension, texts.data);
    const run_status status = run_once(dialog);

    const std::string saved = file_text(data_file_name);
    if (texts.dimension.empty())
        FUZZ_CHECK(saved.empty());  // the data has no stream to go to
    else
        FUZZ_CHECK(saved == texts.dimension + "\n" + texts.data);

    if (no_order) {
        FUZZ_CHECK(status.outcome == run_outcome::no_order);
        FUZZ_CHECK(status.order <= 0);
        FUZZ_CHECK(dialog.times_set == 0);
        FUZZ_CHECK(file_text(report_file_name).empty());
        return 0;
    }
    FUZZ_CHECK(status.order == *order);
    if (beyond_memory) {
        FUZZ_CHECK(status.outcome == run_outcome::failed);
        FUZZ_CHECK(status.failure == run_failure::too_large_for_memory);
        FUZZ_CHECK(dialog.times_set == 0);
        FUZZ_CHECK(file_text(report_file_name).empty());
        return 0;
    }

    FUZZ_CHECK(status.outcome == run_outcome::completed);
    FUZZ_CHECK(dialog.times_set == 1);
    FUZZ_CHECK(dialog.complete);
    const std::string report = file_text(report_file_name);
    FUZZ_CHECK(dialog.shown == report);
    check_report_layout(report, *order);

    // The same input again, now right after itself: nothing of the input before may show.
    recording_dialog again(texts.dimension, texts.data);
    FUZZ_CHECK(run_once(again).outcome == run_outcome::completed);
    FUZZ_CHECK(again.shown == report);
    return 0;
}
