// The whole compute run, ours against the straightforward iostream version, at orders
// 50, 100 and 200. Both run in the same scratch directory and must leave the same
// "mat.result" bytes before any time is reported.

#include "baseline_run.hpp"
#include "bench_inputs.hpp"
#include "compute_run.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace torvane::bench {
namespace {

// Takes the report as the dialog does, whole, and drops it.
class discarding_dialog final : public dialog_seam {
public:
    discarding_dialog(std::string dimension, std::string data) : dimension_(std::move(dimension)), data_(std::move(data)) {}
    std::string dimension_text() override { return dimension_; }
    std::string data_text() override { return data_; }
    void set_result_text(report_source& report) override
    {
        bytes = 0;
        report.read([this](std::string_view piece) { bytes += piece.size(); });
    }
    std::size_t bytes = 0;

private:
    std::string dimension_;
    std::string data_;
};

std::string file_bytes(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class scratch_directory {
public:
    scratch_directory() : previous_(std::filesystem::current_path())
    {
        path_ = std::filesystem::temp_directory_path() / "torvane-bench";
        std::filesystem::create_directories(path_);
        std::filesystem::current_path(path_);
    }
    ~scratch_directory() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// Checked once per order: a ratio between two runs that disagree would mean nothing.
bool reports_agree(int n)
{
    scratch_directory here;
    const std::string data = random_integer_matrix(n);
    baseline::compute_run(std::to_string(n), data);
    const std::string expected = file_bytes("mat.result");
    discarding_dialog dialog(std::to_string(n), data);
    compute_run(dialog);
    return !expected.empty() && file_bytes("mat.result") == expected;
}

void whole_run_ours(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    if (!reports_agree(n)) {
        state.SkipWithError("reports differ from the baseline");
        return;
    }
    scratch_directory here;
    discarding_dialog dialog(std::to_string(n), random_integer_matrix(n));
    for (auto _ : state)
        compute_run(dialog);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * dialog.bytes));
}

void whole_run_baseline(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    scratch_directory here;
    const std::string data = random_integer_matrix(n);
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = baseline::compute_run(std::to_string(n), data).size();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

BENCHMARK(whole_run_ours)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(whole_run_baseline)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
} // namespace torvane::bench

BENCHMARK_MAIN();
