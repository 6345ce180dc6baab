// Arbitrary dimension and data texts through the whole compute run, in a scratch directory
// of its own. "mat.data" must hold the texts as given, and the run's record of its reading
// give the order a C++ stream extracts from it; with no positive order, or one above the
// dialog's limit of 12 (which keeps a case small), nothing is shown and no report written;
// otherwise the result box shows exactly "mat.result", laid out as the order read implies,
// and the same input run again gives the same report.

#include "fuzz_check.hpp"

#include "compute_run.hpp"
#include "report_file_reader.hpp"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace {

using namespace torvane;
namespace fs = std::filesystem;

struct recording_dialog final : front_end {
    std::string dimension, data, shown;
    int times_set = 0;
    bool complete = false;

    recording_dialog(std::string typed_dimension, std::string typed_data) : dimension(typed_dimension), data(typed_data) {}
    std::string dimension_text() override { return dimension; }
    std::string data_text() override { return data; }
    std::int32_t largest_order() const override { return 12; }
    void set_result_text(report_source& report) override { ++times_set, complete = read_report(report, shown); }
};

std::string file_text(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The order as a standard stream reads it from the text the run saves; empty when there is
// none ("mat.data" is left without an order, or is never read, or holds no integer).
std::optional<std::int32_t> stream_order(const std::string& dimension, const std::string& data)
{
    std::istringstream in(dimension + "\n" + data);
    std::int32_t n = 0;
    if (dimension.empty() || data.empty() || !(in >> n))
        return std::nullopt;
    return n;
}

// 2N - 2 step blocks (header, N rows, empty line), N + 1 empty lines, the rule, the
// inverse's heading, N rows and the rule; every line ends in CR LF.
void check_report_layout(const std::string& report, std::size_t n)
{
    std::size_t lines = 0;
    for (std::size_t at = report.find("\r\n"); at != std::string::npos; at = report.find("\r\n", at + 2))
        ++lines;
    FUZZ_CHECK(lines == (2 * n - 2) * (n + 2) + 2 * n + 4);
    FUZZ_CHECK(n == 1 || report.find("\xB5\xDA " + std::to_string(2 * n - 2) + "\xB2\xBD\r\n") != std::string::npos);
    FUZZ_CHECK(report.ends_with("########################\r\n"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Memory-backed when the machine has it: every input rewrites both files.
    const fs::path base = access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path scratch = base / ("torvane-fuzz-" + std::to_string(getpid()));
    fs::create_directories(scratch);
    fs::current_path(scratch);
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(fs::current_path(ignored), ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const fuzz::box_texts texts = fuzz::split_input(bytes, size);
    recording_dialog dialog(texts.dimension, texts.data);
    const run_status status = compute_run(dialog);
    const order_reading& order = status.reading.order;
    FUZZ_CHECK((status.outcome == run_outcome::failed) == (status.failure != run_failure::none));
    FUZZ_CHECK(file_text(data_file_name) == (texts.dimension.empty() ? "" : texts.dimension + "\n" + texts.data));
    // The record against a C++ stream, which the design's reading is.
    FUZZ_CHECK(stream_order(texts.dimension, texts.data) == (order.read ? std::optional(order.order) : std::nullopt));
    FUZZ_CHECK(status.order == order.order && (order.read || order.stop.why != extraction_stop::cause::none));
    if (!order.read || order.order <= 0 || order.order > dialog.largest_order()) {
        FUZZ_CHECK(status.outcome == (order.order > 0 ? run_outcome::failed : run_outcome::no_order));
        FUZZ_CHECK(order.order <= 0 || status.failure == run_failure::refused_by_front_end);
        FUZZ_CHECK(dialog.times_set == 0);
        FUZZ_CHECK(file_text(report_file_name).empty());
        return 0;
    }
    const entries_reading& entries = status.reading.entries;
    FUZZ_CHECK(entries.wanted == std::uint64_t(order.order) * std::uint64_t(order.order) && entries.read <= entries.wanted);
    FUZZ_CHECK((entries.read == entries.wanted) == (entries.stop.why == extraction_stop::cause::none));
    FUZZ_CHECK(status.outcome == run_outcome::completed);
    FUZZ_CHECK(dialog.times_set == 1 && dialog.complete);
    FUZZ_CHECK(dialog.shown == file_text(report_file_name));
    check_report_layout(dialog.shown, static_cast<std::size_t>(order.order));

    // The same input again, now right after itself: nothing of the input before may show.
    recording_dialog again(texts.dimension, texts.data);
    FUZZ_CHECK(compute_run(again).outcome == run_outcome::completed && again.shown == dialog.shown);
    return 0;
}
