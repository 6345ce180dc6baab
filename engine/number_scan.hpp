#pragma once
// Formatted extraction of one number from text, as a C++ stream in the classic locale
// reads it: white space is skipped, then the longest prefix that can continue a number
// is taken, and the number fails when that prefix does not convert.

#include <cstdint>

namespace torvane {

// Each scan starts at `pos` and moves it past the characters it took, whether or not the
// number converted. A failed scan leaves `value` as it was.
bool scan_int(const char*& pos, const char* end, std::int32_t& value);
bool scan_float(const char*& pos, const char* end, float& value);

} // namespace torvane
