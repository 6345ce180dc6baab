#pragma once
// Reading "mat.data" into [A | I], and what the reading found: the order, how many
// entries were read, and where and why reading stopped. Front ends tell the user from
// this record alone, so what they say cannot disagree with what the run read.

#include "input_file.hpp"

#include <cstdint>
#include <functional>

namespace torvane {

struct order_reading {
    bool read = false;        // an integer was read into `dimension`
    std::int32_t order = 0;   // `dimension` afterwards
    text_place place;         // where that integer began
    extraction_stop stop;     // why no integer was read
};

struct entries_reading {
    std::uint64_t wanted = 0;  // N x N
    std::uint64_t read = 0;    // read before the first failed extraction
    float last = 0.0f;         // the value every entry after those repeats
    extraction_stop stop;      // why reading stopped before `wanted`
};

struct matrix_reading {
    order_reading order;
    entries_reading entries;
};

// Reads N into `dimension` (a failed read leaves it unchanged); then, when N > 0 and
// `order_taken` agrees (the run checks that N fits), sizes `matrix` for N rows and reads
// the N x N entries, appending the identity to each row. The caller tests `dimension`
// afterwards. What was read is in `reading` even when sizing `matrix` throws
// (std::bad_alloc, std::length_error).
void load_matrix(matrix_reading& reading, const std::function<bool()>& order_taken);

} // namespace torvane
