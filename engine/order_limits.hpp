#pragma once
// Whether an order N can be inverted here at all, judged before any entry is read: the
// working matrix must fit in memory and the smallest report it implies on the disk.

#include <cstdint>

namespace torvane {

enum class order_problem { none, too_large_for_memory, too_large_for_disk };

// Bytes of the N x 2N working matrix; saturates instead of overflowing.
std::uint64_t matrix_bytes(std::int32_t order);
// The fewest bytes a report for order N can take: every value written as at least one
// digit and its two blanks. Saturates instead of overflowing.
std::uint64_t smallest_report_bytes(std::int32_t order);

order_problem check_order(std::int32_t order, std::uint64_t memory_bytes, std::uint64_t disk_bytes_free);

} // namespace torvane
