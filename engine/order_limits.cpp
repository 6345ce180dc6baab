#include "order_limits.hpp"

#include <limits>

namespace torvane {
namespace {

constexpr std::uint64_t saturated = std::numeric_limits<std::uint64_t>::max();

// Exact while the count fits; long double keeps N^3 terms (up to 2^95) from wrapping.
std::uint64_t to_bytes(long double count)
{
    return count >= static_cast<long double>(saturated) ? saturated : static_cast<std::uint64_t>(count);
}

} // namespace

std::uint64_t matrix_bytes(std::int32_t n)
{
    const long double order = n > 0 ? n : 0;
    return to_bytes(order * 2 * order * sizeof(float));
}

std::uint64_t smallest_report_bytes(std::int32_t n)
{
    if (n <= 0)
        return 0;
    const long double order = n;
    const long double shortest_value = 3;          // "0  "
    const long double step_row = 2 * order * shortest_value + 3 + 2; // " | " and CR LF
    const long double step_block = 7 + order * step_row + 2;        // header, rows, empty line
    const long double inverse_row = order * shortest_value + 2;
    const long double frame = 2 + 26 + 12 + 26;
    return to_bytes((2 * order - 2) * step_block + 2 * order + frame + order * inverse_row);
}

order_problem check_order(std::int32_t n, std::uint64_t memory_bytes, std::uint64_t disk_bytes_free)
{
    if (matrix_bytes(n) > memory_bytes)
        return order_problem::too_large_for_memory;
    if (smallest_report_bytes(n) > disk_bytes_free)
        return order_problem::too_large_for_disk;
    return order_problem::none;
}

} // namespace torvane
