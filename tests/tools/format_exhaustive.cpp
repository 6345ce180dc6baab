// Compares format_value with std::to_chars (general, precision 6, the float widened to
// double) for every float bit pattern, on two threads. Too slow for the unit tests; run it
// through scripts/check-format-exhaustive after touching the formatter.
//
// Usage: torvane_format_exhaustive [first count]   (hexadecimal; default: all 2^32 patterns)

#include "format_value.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::uint64_t chunk_size = std::uint64_t{1} << 24;
constexpr std::size_t mismatches_kept = 20;
constexpr int thread_count = 2;

struct mismatch {
    std::uint32_t bits;
    std::string ours;
    std::string expected;
};

struct shared_state {
    std::uint64_t first = 0;
    std::uint64_t count = std::uint64_t{1} << 32;
    std::atomic<std::uint64_t> next_chunk{0};
    std::atomic<std::uint64_t> checked{0};
    std::atomic<std::uint64_t> mismatch_count{0};
    std::mutex mutex;
    std::vector<mismatch> mismatches;
};

std::string expected_text(float value)
{
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::general, 6);
    return {text, result.ptr};
}

// Our text, or a marker when the formatter wrote past its scratch bytes or made a text
// longer than max_value_chars.
std::string our_text(float value)
{
    constexpr char guard = '\x7f';
    char text[torvane::value_scratch_chars + 8];
    std::memset(text, guard, sizeof text);
    const char* end = torvane::format_value(value, text);
    if (end < text || end > text + torvane::max_value_chars ||
        std::any_of(text + torvane::value_scratch_chars, text + sizeof text, [](char c) { return c != guard; }))
        return "<wrote past " + std::to_string(torvane::max_value_chars) + " chars>";
    return std::string(static_cast<const char*>(text), end);
}

void record(shared_state& state, std::uint32_t bits, std::string ours, std::string expected)
{
    state.mismatch_count.fetch_add(1);
    std::lock_guard lock(state.mutex);
    state.mismatches.push_back({bits, std::move(ours), std::move(expected)});
    // Keep the lowest patterns so that the report does not depend on thread timing.
    std::sort(state.mismatches.begin(), state.mismatches.end(),
              [](const mismatch& a, const mismatch& b) { return a.bits < b.bits; });
    if (state.mismatches.size() > mismatches_kept)
        state.mismatches.pop_back();
}

void check_range(shared_state& state, std::uint64_t begin, std::uint64_t end)
{
    for (std::uint64_t pattern = begin; pattern < end; ++pattern) {
        const auto bits = static_cast<std::uint32_t>(pattern);
        const auto value = std::bit_cast<float>(bits);
        std::string ours = our_text(value);
        std::string expected = expected_text(value);
        if (ours != expected)
            record(state, bits, std::move(ours), std::move(expected));
    }
}

void work(shared_state& state)
{
    const std::uint64_t chunks = (state.count + chunk_size - 1) / chunk_size;
    for (std::uint64_t chunk = state.next_chunk.fetch_add(1); chunk < chunks; chunk = state.next_chunk.fetch_add(1)) {
        const std::uint64_t begin = chunk * chunk_size;
        const std::uint64_t end = std::min(begin + chunk_size, state.count);
        check_range(state, state.first + begin, state.first + end);
        state.checked.fetch_add(end - begin);
    }
}

void report_progress(shared_state& state, const std::atomic<bool>& done)
{
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t last_reported = 0;
    while (!done.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const std::uint64_t checked = state.checked.load();
        const bool finished = checked == state.count && last_reported != checked;
        if (!finished && checked - last_reported < state.count / 32)
            continue;
        last_reported = checked;
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "checked %" PRIu64 " of %" PRIu64 " (%.0f%%), %" PRIu64 " mismatches, %.0f s\n", checked,
                     state.count, 100.0 * static_cast<double>(checked) / static_cast<double>(state.count),
                     state.mismatch_count.load(), seconds);
    }
}

bool parse_hex(const char* text, std::uint64_t& value)
{
    const char* end = text + std::strlen(text);
    if (end - text > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text += 2;
    const auto result = std::from_chars(text, end, value, 16);
    return result.ec == std::errc{} && result.ptr == end;
}

} // namespace

int main(int argc, char** argv)
{
    shared_state state;
    if (argc == 3) {
        if (!parse_hex(argv[1], state.first) || !parse_hex(argv[2], state.count) ||
            state.first + state.count > (std::uint64_t{1} << 32)) {
            std::fprintf(stderr, "usage: %s [first count]   (hexadecimal, within 32 bits)\n", argv[0]);
            return 2;
        }
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: %s [first count]   (hexadecimal, within 32 bits)\n", argv[0]);
        return 2;
    }

    std::atomic<bool> done{false};
    std::thread progress(report_progress, std::ref(state), std::cref(done));
    std::vector<std::thread> workers;
    for (int i = 0; i < thread_count; ++i)
        workers.emplace_back(work, std::ref(state));
    for (auto& worker : workers)
        worker.join();
    done = true;
    progress.join();

    for (const auto& m : state.mismatches)
        std::printf("0x%08" PRIx32 ": format_value \"%s\", std::to_chars \"%s\"\n", m.bits, m.ours.c_str(),
                    m.expected.c_str());
    const std::uint64_t mismatches = state.mismatch_count.load();
    if (mismatches == 0) {
        std::printf("all %" PRIu64 " bit patterns from 0x%08" PRIx64 " match std::to_chars\n", state.count, state.first);
        return 0;
    }
    std::printf("%" PRIu64 " of %" PRIu64 " bit patterns from 0x%08" PRIx64 " differ from std::to_chars\n", mismatches,
                state.count, state.first);
    return 1;
}
