#pragma once
// Formatted extraction of one number from text, as a C++ stream in the classic locale
// reads it: white space is skipped, then the longest prefix that can continue a number
// is taken, and the number fails when that prefix does not convert.

#include <cstdint>

namespace torvane {

// What one scan found: a number, or why there was none.
enum class scan_outcome {
    read,
    end_of_text,   // nothing but white space was left
    not_a_number,  // the text there cannot be read as a number (a comma, a letter, "1e")
    out_of_range,  // a well-formed number too large for the type
};

// Each scan starts at `pos` and moves it past the characters it took, whether or not the
// number converted. A failed scan leaves `value` as it was.
scan_outcome read_int(const char*& pos, const char* end, std::int32_t& value);
scan_outcome read_float(const char*& pos, const char* end, float& value);

inline bool scan_int(const char*& pos, const char* end, std::int32_t& value)
{
    return read_int(pos, end, value) == scan_outcome::read;
}
inline bool scan_float(const char*& pos, const char* end, float& value)
{
    return read_float(pos, end, value) == scan_outcome::read;
}

// Where the next scan from `pos` would start its number: past the white space.
const char* skip_white_space(const char* pos, const char* end);

} // namespace torvane
