// What the exact accuracy check adds to --explain: the check on its own, beside the
// watched run whose inverse it checks, in the same process, so the ratio of the two is the
// figure to compare (the view with the check should take at most twice the view without
// it). Integers -9..9, as users type them.

#include "accuracy_check.hpp"
#include "bench_inputs.hpp"
#include "compute_run.hpp"
#include "elimination_record.hpp"
#include "exact_inverse.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using namespace torvane;

class texts final : public front_end {
public:
    texts(std::string dimension, std::string data) : dimension_(std::move(dimension)), data_(std::move(data)) {}
    std::string dimension_text() override { return dimension_; }
    std::string data_text() override { return data_; }
    void set_result_text(report_source& report) override { report.verify(); }

private:
    std::string dimension_;
    std::string data_;
};

// One watched run, as --explain makes it: the record of every pass.
void watched_run(elimination_record& record, int n)
{
    texts seam(std::to_string(n), bench::random_integer_matrix(n));
    run_options options;
    options.watcher = &record;
    compute_run(seam, options);
}

void watched_run_alone(benchmark::State& state)
{
    const auto dir = std::filesystem::temp_directory_path() / "torvane-accuracy-bench";
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    for (auto _ : state) {
        elimination_record record([](const pass_record&) {});
        watched_run(record, static_cast<int>(state.range(0)));
    }
}

void exact_check(benchmark::State& state)
{
    elimination_record record([](const pass_record&) {});
    watched_run(record, static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(check_accuracy(record));
}

void exact_inverse_alone(benchmark::State& state)
{
    elimination_record record([](const pass_record&) {});
    watched_run(record, static_cast<int>(state.range(0)));
    const std::vector<float> a = record.matrix_a();
    for (auto _ : state)
        benchmark::DoNotOptimize(invert_exactly(record.order(), a));
}

} // namespace

BENCHMARK(watched_run_alone)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(exact_check)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(exact_inverse_alone)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
