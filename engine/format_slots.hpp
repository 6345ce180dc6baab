#pragma once
// Formats many values at once into the fixed-size slots the entry text cache keeps: each
// slot holds a value's text and its two blanks, and its last byte holds their length.
// Where the processor has AVX2, eight values go through one set of vector instructions:
// the decimal exponent by comparisons with powers of ten, the six digits by one exact
// multiplication in double and a round to nearest even, and the layout by one byte
// shuffle chosen from a table. Zeros and values from "1e-07" to "999999" are done so;
// others ("1e-08", "1e+06", infinities, NaNs), and every value on a processor without
// AVX2, take format_value, which writes the same text. The page, compiled to WebAssembly,
// takes the same steps four values to a vector.

#include <cstddef>
#include <cstdint>

namespace torvane {

inline constexpr std::size_t slot_bytes = 16;
inline constexpr std::size_t values_per_batch = 8;

// Formats values[i] into slots + i * slot_bytes for i < count.
void format_into_slots(const float* values, std::size_t count, char* slots);

// The same, one value at a time with format_value: what processors without AVX2 run.
void format_into_slots_one_by_one(const float* values, std::size_t count, char* slots);

// Eight values with AVX2, falling back to format_value for those outside the plain decimal
// range. Only to be called where the processor has AVX2.
void format_eight_into_slots_avx2(const float* values, char* slots);

// The same steps in the compiler's vector types, four values to a vector: what the page
// runs. Any processor runs it.
void format_eight_into_slots_in_vectors(const float* values, char* slots);

// Whether format_into_slots uses format_eight_into_slots_avx2 on this processor.
bool slots_formatted_with_avx2();

} // namespace torvane
