// The whole compute run, ours against the straightforward iostream version, at orders
// 50, 100 and 200. Both run in the same scratch directory and must leave the same
// "mat.result" bytes before any time is reported. Order 400 (a 2.4 GB report) is run
// only by ours, against the I/O floor: the baseline would take over a minute for it.
// The floor writes the report's number of bytes from memory into a file in the same
// directory and reads them back, the least any run that leaves that report can take.

#include "baseline_run.hpp"
#include "bench_inputs.hpp"
#include "compute_run.hpp"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace torvane::bench {
namespace {

// Takes the report as the dialog does, whole, and drops it.
class discarding_dialog final : public front_end {
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

// Orders up to this one are checked byte for byte against the baseline.
constexpr int largest_checked_order = 200;

void whole_run_ours(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    if (n <= largest_checked_order && !reports_agree(n)) {
        state.SkipWithError("reports differ from the baseline");
        return;
    }
    scratch_directory here;
    discarding_dialog dialog(std::to_string(n), random_integer_matrix(n));
    for (auto _ : state)
        compute_run(dialog);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * dialog.bytes));
}

std::uint64_t report_size(int n)
{
    scratch_directory here;
    discarding_dialog dialog(std::to_string(n), random_integer_matrix(n));
    compute_run(dialog);
    return std::filesystem::file_size("mat.result");
}

constexpr std::size_t floor_piece = std::size_t{1} << 20;

// `bytes` from memory into "floor.bin", emptied first as the run empties its report: a
// truncation closed at once, then the empty file opened again. (Writing straight after
// an O_TRUNC open costs more on ext4, which then writes the new blocks out at close.)
bool write_floor_file(const char* piece, std::uint64_t bytes)
{
    const int emptied = ::open("floor.bin", O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (emptied < 0 || ::close(emptied) != 0)
        return false;
    const int file = ::open("floor.bin", O_WRONLY);
    if (file < 0)
        return false;
    bool written = true;
    for (std::uint64_t left = bytes; left > 0 && written;) {
        const std::size_t size = left < floor_piece ? static_cast<std::size_t>(left) : floor_piece;
        written = ::write(file, piece, size) == static_cast<ssize_t>(size);
        left -= size;
    }
    return ::close(file) == 0 && written;
}

std::uint64_t read_floor_file(char* piece)
{
    const int file = ::open("floor.bin", O_RDONLY);
    if (file < 0)
        return 0;
    std::uint64_t total = 0;
    ssize_t got;
    while ((got = ::read(file, piece, floor_piece)) > 0)
        total += static_cast<std::uint64_t>(got);
    ::close(file);
    return total;
}

void io_floor(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::uint64_t bytes = report_size(n);
    scratch_directory here;
    std::unique_ptr<char[]> piece(new char[floor_piece]);
    std::fill_n(piece.get(), floor_piece, '7');
    for (auto _ : state) {
        if (!write_floor_file(piece.get(), bytes) || read_floor_file(piece.get()) != bytes) {
            state.SkipWithError("cannot write and read back the floor file");
            break;
        }
    }
    std::filesystem::remove("floor.bin");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
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

// In this order: the 2.4 GB of order 400 leave the disk writing back for seconds after,
// so they come last, and each run at order 200 is next to the floor it is compared with.
BENCHMARK(whole_run_ours)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(io_floor)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(whole_run_baseline)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(whole_run_ours)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(io_floor)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace torvane::bench

BENCHMARK_MAIN();
