// format_value against the two standard ways of writing the same text: a stream (what a
// report written with operator<< costs) and std::to_chars with precision 6. The values
// resemble a report's: zeros and ones of the identity half, small integers, fractions left
// by elimination, and arbitrary magnitudes between 1e-6 and 1e6.

#include "format_slots.hpp"
#include "format_value.hpp"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t value_count = 4096; // small enough to stay in cache: formatting, not memory, is measured

float report_like_value(std::mt19937& random)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double sign = random() % 2 == 0 ? 1.0 : -1.0;
    const auto kind = random() % 20;
    if (kind < 4)
        return 0.0f;
    if (kind < 6)
        return static_cast<float>(sign);
    if (kind < 10)
        return static_cast<float>(sign * static_cast<double>(2 + random() % 998));
    if (kind < 15)
        return static_cast<float>(sign * static_cast<double>(1 + random() % 999) / static_cast<double>(2 + random() % 96));
    return static_cast<float>(sign * std::pow(10.0, -6.0 + 12.0 * unit(random)));
}

const std::vector<float>& report_values()
{
    static const std::vector<float> values = [] {
        std::mt19937 random(42);
        std::vector<float> result(value_count);
        for (float& value : result)
            value = report_like_value(random);
        return result;
    }();
    return values;
}

std::string formatted_with_format_value(const std::vector<float>& values)
{
    std::string text(values.size() * (torvane::max_value_chars + 1) + torvane::value_scratch_chars, '\0');
    char* out = text.data();
    for (float value : values) {
        out = torvane::format_value(value, out);
        *out++ = ' ';
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

// The slots' texts joined as format_value_mix joins its own: each value and a blank.
std::string formatted_in_slots(const std::vector<float>& values)
{
    std::vector<char> slots(values.size() * torvane::slot_bytes);
    torvane::format_into_slots(values.data(), values.size(), slots.data());
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const char* slot = &slots[i * torvane::slot_bytes];
        text.append(slot, static_cast<unsigned char>(slot[torvane::slot_bytes - 1]) - 1);  // one of its two blanks
    }
    return text;
}

std::string formatted_with_stream(const std::vector<float>& values)
{
    std::ostringstream stream;
    for (float value : values)
        stream << value << ' ';
    return stream.str();
}

std::string formatted_with_to_chars(const std::vector<float>& values)
{
    std::string text(values.size() * (torvane::max_value_chars + 1), '\0');
    char* out = text.data();
    for (float value : values) {
        out = std::to_chars(out, out + torvane::max_value_chars, static_cast<double>(value), std::chars_format::general,
                            6).ptr;
        *out++ = ' ';
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

void count_values(benchmark::State& state)
{
    const auto values = static_cast<std::int64_t>(report_values().size());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * values);
    // Shown as seconds with an SI prefix, "9.2ns" meaning 9.2 ns per value.
    state.counters["per_value"] = benchmark::Counter(
        static_cast<double>(values), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void format_value_mix(benchmark::State& state)
{
    const auto& values = report_values();
    std::vector<char> buffer(values.size() * (torvane::max_value_chars + 1) + torvane::value_scratch_chars);
    for (auto _ : state) {
        char* out = buffer.data();
        for (float value : values) {
            out = torvane::format_value(value, out);
            *out++ = ' ';
        }
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    count_values(state);
}

// Into the slots of the entry text cache, eight at a time where the processor has AVX2.
void format_slots_mix(benchmark::State& state)
{
    const auto& values = report_values();
    std::vector<char> slots(values.size() * torvane::slot_bytes);
    for (auto _ : state) {
        torvane::format_into_slots(values.data(), values.size(), slots.data());
        benchmark::ClobberMemory();
    }
    count_values(state);
}

void ostream_mix(benchmark::State& state)
{
    const auto& values = report_values();
    std::ostringstream stream;
    for (auto _ : state) {
        stream.str(std::string());
        for (float value : values)
            stream << value << ' ';
        benchmark::DoNotOptimize(stream);
    }
    count_values(state);
}

void to_chars_mix(benchmark::State& state)
{
    const auto& values = report_values();
    std::vector<char> buffer(values.size() * (torvane::max_value_chars + 1));
    for (auto _ : state) {
        char* out = buffer.data();
        for (float value : values) {
            out = std::to_chars(out, out + torvane::max_value_chars, static_cast<double>(value),
                                std::chars_format::general, 6).ptr;
            *out++ = ' ';
        }
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    count_values(state);
}

BENCHMARK(format_value_mix);
BENCHMARK(format_slots_mix);
BENCHMARK(ostream_mix);
BENCHMARK(to_chars_mix);

} // namespace

int main(int argc, char** argv)
{
    // A fast formatter that writes other text is no use: the three must agree on the mix.
    const auto& values = report_values();
    const std::string ours = formatted_with_format_value(values);
    if (ours != formatted_with_stream(values) || ours != formatted_with_to_chars(values) ||
        ours != formatted_in_slots(values)) {
        std::fprintf(stderr, "the formatters, the stream and std::to_chars disagree on the benchmark values\n");
        return EXIT_FAILURE;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return EXIT_FAILURE;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
