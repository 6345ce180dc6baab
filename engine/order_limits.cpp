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

std::uint64_t matrix_bytes(std::int32_t order)
{
    const long double rows = order > 0 ? order : 0;
    return to_bytes(rows * 2 * rows * sizeof(float));
}

std::uint64_t smallest_report_bytes(std::int32_t order)
{
    if (order <= 0)
        return 0;
    const long double rows = order;  // in long double: no product overflows
    const long double shortest_value = 3;          // "0  "
    const long double step_row = 2 * rows * shortest_value + 3 + 2; // " | " and CR LF
    const long double step_block = 7 + rows * step_row + 2;        // header, rows, empty line
    const long double inverse_row = rows * shortest_value + 2;
    const long double frame = 2 + 26 + 12 + 26;
    return to_bytes((2 * rows - 2) * step_block + 2 * rows + frame + rows * inverse_row);
}

order_problem check_order(std::int32_t order, std::uint64_t memory_bytes, std::uint64_t disk_bytes_free)
{
    if (matrix_bytes(order) > memory_bytes)
        return order_problem::too_large_for_memory;
    if (smallest_report_bytes(order) > disk_bytes_free)
        return order_problem::too_large_for_disk;
    return order_problem::none;
}

} // namespace torvane
