// The row update dst += f x src over 2N entries, evaluated in double and stored as float:
// ours (vectorised by the compiler) against the same loop kept scalar.

#include "eliminate.hpp"
#include "state.hpp"

#include <benchmark/benchmark.h>

#include <vector>

namespace torvane::bench {
namespace {

void fill_matrix(std::size_t n)
{
    matrix.resize(n, 2 * n);
    for (std::size_t r = 0; r < n; ++r)
        for (std::size_t c = 0; c < 2 * n; ++c)
            matrix.at(r, c) = static_cast<float>((r * 7 + c * 3) % 19) - 9.0f;
}

__attribute__((optimize("no-tree-vectorize"))) void scalar_row_update(float* dst, const float* src, std::size_t width,
                                                                         float factor)
{
    for (std::size_t c = 0; c < width; ++c)
        dst[c] = static_cast<float>(static_cast<double>(src[c]) * factor + static_cast<double>(dst[c]));
}

void row_update_ours(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    fill_matrix(n);
    std::uint32_t dst = 1;
    for (auto _ : state) {
        add_scaled_row(dst, 0, 1e-3f);
        dst = dst + 1 < n ? dst + 1 : 1;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * n * sizeof(float) * 3));
}

void row_update_scalar(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    fill_matrix(n);
    std::size_t dst = 1;
    for (auto _ : state) {
        scalar_row_update(matrix.row(dst), matrix.row(0), 2 * n, 1e-3f);
        dst = dst + 1 < n ? dst + 1 : 1;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * n * sizeof(float) * 3));
}

BENCHMARK(row_update_ours)->Arg(200)->Arg(2000);
BENCHMARK(row_update_scalar)->Arg(200)->Arg(2000);

} // namespace
} // namespace torvane::bench

BENCHMARK_MAIN();
