// The eight-at-a-time formatter. Only the functions marked TORVANE_AVX2 use AVX2, and they
// run only after slots_formatted_with_avx2() has found it: the file is compiled for the
// x86-64 baseline, its tables are built by the compiler, so nothing here runs an AVX2
// instruction at start-up or in code the linker might share with other files.

#include "format_layouts.hpp"
#include "format_slots.hpp"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

#define TORVANE_AVX2 __attribute__((target("avx2")))

namespace torvane {

using namespace slot_layouts;

namespace {

// The high halves of the 32 x 32-bit products of every lane with `factor`.
TORVANE_AVX2 __m256i multiply_high(__m256i lanes, __m256i factor)
{
    const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(lanes, factor), 32);
    const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(lanes, 32), factor);
    return _mm256_blend_epi32(even, odd, 0b10101010);
}

// Tens and units of two-digit lanes: t * 103 >> 10 is t / 10 for every t below 100.
TORVANE_AVX2 void split_two_digits(__m256i two, __m256i& tens, __m256i& units)
{
    tens = _mm256_srli_epi32(_mm256_mullo_epi32(two, _mm256_set1_epi32(103)), 10);
    units = _mm256_sub_epi32(two, _mm256_mullo_epi32(tens, _mm256_set1_epi32(10)));
}

TORVANE_AVX2 __m256i digit_pair(__m256i tens, __m256i units, int shift)
{
    const __m256i ascii_zero = _mm256_set1_epi32('0');
    return _mm256_or_si256(_mm256_slli_epi32(_mm256_add_epi32(tens, ascii_zero), shift),
                           _mm256_slli_epi32(_mm256_add_epi32(units, ascii_zero), shift + 8));
}

// Six digits of four magnitudes: each times 10^power, exact in double, rounded to the
// nearest integer, ties to even, by adding and taking away 2^52.
TORVANE_AVX2 __m128i six_digits(__m128 magnitude, __m128i power)
{
    const __m256d two_to_52 = _mm256_set1_pd(4503599627370496.0);
    const __m256d scale = _mm256_mask_i32gather_pd(_mm256_setzero_pd(), scales, power,
                                                   _mm256_castsi256_pd(_mm256_set1_epi64x(-1)), 8);
    const __m256d scaled = _mm256_mul_pd(_mm256_cvtps_pd(magnitude), scale);
    return _mm256_cvttpd_epi32(_mm256_sub_pd(_mm256_add_pd(scaled, two_to_52), two_to_52));
}

} // namespace

TORVANE_AVX2 void format_eight_into_slots_avx2(const float* values, char* slots)
{
    const __m256 value = _mm256_loadu_ps(values);
    const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), value);

    // Decimal exponent: -8 plus the thresholds the magnitude reaches (zero and NaN reach none).
    __m256i exponent = _mm256_set1_epi32(lowest_exponent - 1);
    for (const float threshold : power_of_10_thresholds) {
        const __m256 reached = _mm256_cmp_ps(magnitude, _mm256_set1_ps(threshold), _CMP_GE_OQ);
        exponent = _mm256_sub_epi32(exponent, _mm256_castps_si256(reached));
    }
    const __m256i in_range_power = _mm256_sub_epi32(_mm256_set1_epi32(highest_exponent), exponent);
    const __m256i power =
        _mm256_min_epi32(_mm256_max_epi32(in_range_power, _mm256_setzero_si256()), _mm256_set1_epi32(largest_scale));

    // Six digits: the magnitude times 10^(5 - e).
    __m256i digits = _mm256_set_m128i(six_digits(_mm256_extractf128_ps(magnitude, 1), _mm256_extracti128_si256(power, 1)),
                                      six_digits(_mm256_castps256_ps128(magnitude), _mm256_castsi256_si128(power)));
    // 999999.5 and the like round up to the next power of ten.
    const __m256i carried = _mm256_cmpeq_epi32(digits, _mm256_set1_epi32(1'000'000));
    digits = _mm256_blendv_epi8(digits, _mm256_set1_epi32(100'000), carried);
    exponent = _mm256_sub_epi32(exponent, carried);
    const __m256i is_zero = _mm256_castps_si256(_mm256_cmp_ps(magnitude, _mm256_setzero_ps(), _CMP_EQ_OQ));
    const __m256i handled = _mm256_or_si256(
        is_zero, _mm256_and_si256(_mm256_cmpgt_epi32(exponent, _mm256_set1_epi32(lowest_exponent - 1)),
                                  _mm256_cmpgt_epi32(_mm256_set1_epi32(highest_exponent + 1), exponent)));

    // Three pairs of digits: d / 10^4 by the high half of d * ceil(2^32 / 10^4), exact
    // below 10^6; then the remainder's hundreds and the rest.
    const __m256i first_pair = multiply_high(digits, _mm256_set1_epi32(429'497));
    const __m256i last_four = _mm256_sub_epi32(digits, _mm256_mullo_epi32(first_pair, _mm256_set1_epi32(10'000)));
    const __m256i middle_pair = _mm256_srli_epi32(_mm256_mullo_epi32(last_four, _mm256_set1_epi32(5243)), 19);
    const __m256i last_pair = _mm256_sub_epi32(last_four, _mm256_mullo_epi32(middle_pair, _mm256_set1_epi32(100)));
    __m256i tens[3], units[3];
    split_two_digits(first_pair, tens[0], units[0]);
    split_two_digits(middle_pair, tens[1], units[1]);
    split_two_digits(last_pair, tens[2], units[2]);
    const __m256i first_four = _mm256_or_si256(digit_pair(tens[0], units[0], 0), digit_pair(tens[1], units[1], 16));
    const __m256i last_two = digit_pair(tens[2], units[2], 0);

    // Significant digits: six less the trailing zeros.
    const __m256i zero = _mm256_setzero_si256();
    __m256i trailing = _mm256_cmpeq_epi32(units[2], zero);
    __m256i zeros = trailing;
    const __m256i* next_digits[] = {&tens[2], &units[1], &tens[1], &units[0]};
    for (const __m256i* digit : next_digits) {
        trailing = _mm256_and_si256(trailing, _mm256_cmpeq_epi32(*digit, zero));
        zeros = _mm256_add_epi32(zeros, trailing);
    }
    const __m256i significant = _mm256_add_epi32(_mm256_set1_epi32(significant_counts), zeros);
    const __m256i negative = _mm256_srli_epi32(_mm256_castps_si256(value), 31);
    const __m256i number_index = _mm256_add_epi32(
        _mm256_mullo_epi32(_mm256_add_epi32(_mm256_mullo_epi32(negative, _mm256_set1_epi32(exponent_count)),
                                            _mm256_sub_epi32(exponent, _mm256_set1_epi32(lowest_exponent))),
                           _mm256_set1_epi32(significant_counts)),
        _mm256_sub_epi32(significant, _mm256_set1_epi32(1)));
    const __m256i index =
        _mm256_blendv_epi8(number_index, _mm256_add_epi32(_mm256_set1_epi32(zero_layout), negative), is_zero);

    alignas(32) std::uint32_t heads[8], tails[8], layout_of[8], is_handled[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(heads), first_four);
    _mm256_store_si256(reinterpret_cast<__m256i*>(tails), last_two);
    _mm256_store_si256(reinterpret_cast<__m256i*>(layout_of), index);
    _mm256_store_si256(reinterpret_cast<__m256i*>(is_handled), handled);
    for (std::size_t k = 0; k < values_per_batch; ++k) {
        char* slot = slots + k * slot_bytes;
        if (!is_handled[k]) {
            format_into_slots_one_by_one(values + k, 1, slot);
            continue;
        }
        const layout& chosen = layouts[layout_of[k]];
        const __m128i source = _mm_set_epi64x(static_cast<long long>(source_constants),
                                              static_cast<long long>(heads[k] | std::uint64_t{tails[k]} << 32));
        const __m128i text = _mm_shuffle_epi8(source, _mm_load_si128(reinterpret_cast<const __m128i*>(chosen.shuffle)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(slot), text);
        slot[slot_bytes - 1] = chosen.length;
    }
}

} // namespace torvane

#else  // elsewhere slots_formatted_with_avx2() is false: never called, but linked

namespace torvane {

void format_eight_into_slots_avx2(const float* values, char* slots)
{
    format_into_slots_one_by_one(values, values_per_batch, slots);
}

} // namespace torvane

#endif
