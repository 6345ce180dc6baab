#pragma once
// A report value: the float widened to double and written as printf's "%.6g" would write
// it with two-digit exponents (std::to_chars general notation, precision 6), never
// through the C runtime, whose exponent digits differ between platforms.

namespace torvane {

// The longest text a value can take: "-1.17549e-38".
inline constexpr int max_value_chars = 12;

// How many bytes from `out` format_value may write: the text is laid out with whole-word
// stores and then cut to length, so bytes past its end up to this bound may change.
inline constexpr int value_scratch_chars = 16;

// Writes the text of `value` at `out` and returns the end; no terminator is written.
char* format_value(float value, char* out);

} // namespace torvane
