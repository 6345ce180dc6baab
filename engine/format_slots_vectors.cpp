// The eight-at-a-time formatter in the compiler's own vector types, four values to a
// vector: the page runs it on WebAssembly's 128-bit vectors, where there is no AVX2. The
// steps are the AVX2 formatter's, and so is the text: the decimal exponent by comparisons
// with powers of ten, six digits by one exact multiplication in double and a round to
// nearest even, the layout by a byte shuffle from the same table. Built for the x86-64
// baseline too, where the tests compare it with format_value.

#include "format_layouts.hpp"
#include "format_slots.hpp"

#include <bit>
#include <cstring>

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace torvane {

using namespace slot_layouts;

namespace {

using f32x4 = float __attribute__((vector_size(16)));
using i32x4 = std::int32_t __attribute__((vector_size(16)));
using u32x4 = std::uint32_t __attribute__((vector_size(16)));
using f64x4 = double __attribute__((vector_size(32)));

constexpr std::size_t lanes = 4;
static_assert(values_per_batch % lanes == 0);
static_assert(std::endian::native == std::endian::little, "a slot's source bytes are laid out low byte first");

constexpr i32x4 all(std::int32_t value) { return i32x4{value, value, value, value}; }

// The lanes of `if_set` where `mask` is all ones, of `otherwise` where it is zero.
i32x4 select(i32x4 mask, i32x4 if_set, i32x4 otherwise) { return (if_set & mask) | (otherwise & ~mask); }

// What four values' texts are made of, lane by lane.
struct four_texts {
    u32x4 first_four;  // the first four of the six digits, in ASCII, first digit lowest
    u32x4 last_two;
    i32x4 layout;      // in layouts
    i32x4 handled;     // all ones where the lane's text is the layout's; the others take format_value
};

// Six digits of the magnitudes whose decimal exponent is -7 to 5, each times 10^power,
// exact in double, rounded to the nearest integer, ties to even, by adding and taking
// away 2^52. Other lanes hold zero here, so no lane is out of an integer's range.
i32x4 six_digits(f32x4 magnitude, i32x4 power)
{
#if defined(__wasm_simd128__)
    // WebAssembly rounds to nearest, ties to even, itself; the compiler converts a vector
    // of doubles to integers one lane at a time.
    const v128_t low = wasm_f64x2_promote_low_f32x4(magnitude);
    const v128_t high = wasm_f64x2_promote_low_f32x4(wasm_i32x4_shuffle(magnitude, magnitude, 2, 3, 2, 3));
    const v128_t low_digits = wasm_i32x4_trunc_sat_f64x2_zero(
        wasm_f64x2_nearest(wasm_f64x2_mul(low, wasm_f64x2_make(scales[power[0]], scales[power[1]]))));
    const v128_t high_digits = wasm_i32x4_trunc_sat_f64x2_zero(
        wasm_f64x2_nearest(wasm_f64x2_mul(high, wasm_f64x2_make(scales[power[2]], scales[power[3]]))));
    return wasm_i32x4_shuffle(low_digits, high_digits, 0, 1, 4, 5);
#else
    const f64x4 scale = {scales[power[0]], scales[power[1]], scales[power[2]], scales[power[3]]};
    constexpr double two_to_52 = 4503599627370496.0;
    const f64x4 scaled = __builtin_convertvector(magnitude, f64x4) * scale;
    return __builtin_convertvector((scaled + two_to_52) - two_to_52, i32x4);
#endif
}

four_texts texts_of_four(const float* values)
{
    u32x4 bits;
    std::memcpy(&bits, values, sizeof bits);
    const f32x4 magnitude = std::bit_cast<f32x4>(bits & 0x7fff'ffffu);

    // Decimal exponent: -8 plus the thresholds the magnitude reaches (zero and NaN reach none).
    i32x4 exponent = all(lowest_exponent - 1);
    for (const float threshold : power_of_10_thresholds)
        exponent -= magnitude >= threshold;
    const i32x4 in_range = (exponent >= lowest_exponent) & (exponent <= highest_exponent);
    const i32x4 power = select(in_range, highest_exponent - exponent, all(0));
    i32x4 digits = six_digits(std::bit_cast<f32x4>(std::bit_cast<i32x4>(magnitude) & in_range), power);
    // 999999.5 and the like round up to the next power of ten.
    const i32x4 carried = digits == 1'000'000;
    digits = select(carried, all(100'000), digits);
    exponent -= carried;
    const i32x4 is_zero = magnitude == 0.0f;
    four_texts texts;
    texts.handled = is_zero | ((exponent >= lowest_exponent) & (exponent <= highest_exponent));

    // Three pairs of digits: d / 10^4 as (d / 16) / 625, in float: d / 16 is exact there,
    // and so close to the quotient that adding a half keeps every one of the million d
    // below 10^6 on its side of the next integer (WebAssembly has no 32-bit multiply
    // high); then the remainder's hundreds and the rest.
    const f32x4 sixteenths = __builtin_convertvector(digits >> 4, f32x4) + 0.5f;
    const i32x4 first_pair = __builtin_convertvector(sixteenths * (1.0f / 625), i32x4);
    const i32x4 last_four = digits - first_pair * 10'000;
    const i32x4 middle_pair = (last_four * 5243) >> 19;
    const i32x4 pairs[3] = {first_pair, middle_pair, last_four - middle_pair * 100};
    i32x4 tens[3], units[3];
    for (int k = 0; k < 3; ++k) {
        tens[k] = (pairs[k] * 103) >> 10;  // t / 10 for every t below 100
        units[k] = pairs[k] - tens[k] * 10;
    }
    const auto ascii = [](i32x4 digit, int shift) { return std::bit_cast<u32x4>(digit + '0') << shift; };
    texts.first_four = ascii(tens[0], 0) | ascii(units[0], 8) | ascii(tens[1], 16) | ascii(units[1], 24);
    texts.last_two = ascii(tens[2], 0) | ascii(units[2], 8);

    // Significant digits: six less the trailing zeros.
    i32x4 trailing = units[2] == 0;
    i32x4 zeros = trailing;
    for (const i32x4& digit : {tens[2], units[1], tens[1], units[0]}) {
        trailing &= digit == 0;
        zeros += trailing;
    }
    const i32x4 significant = significant_counts + zeros;
    const i32x4 negative = std::bit_cast<i32x4>(bits >> 31);
    const i32x4 number_layout =
        (negative * exponent_count + exponent - lowest_exponent) * significant_counts + significant - 1;
    texts.layout = select(is_zero, zero_layout + negative, number_layout);
    return texts;
}

// The slot of one handled value: its text by the layout's shuffle of the digits and the
// constant bytes, and its length in the last byte.
void fill_slot(std::uint32_t first_four, std::uint32_t last_two, const layout& chosen, char* slot)
{
    const std::uint64_t digits = first_four | std::uint64_t{last_two} << 32;
#if defined(__wasm_simd128__)
    // A shuffle byte of 16 or more gives a zero byte, as the table's 0x80 does.
    const v128_t source = wasm_u64x2_make(digits, source_constants);
    wasm_v128_store(slot, wasm_i8x16_swizzle(source, wasm_v128_load(chosen.shuffle)));
#else
    unsigned char source[16];
    std::memcpy(source, &digits, 8);
    std::memcpy(source + 8, &source_constants, 8);
    for (std::size_t at = 0; at < slot_bytes; ++at)
        slot[at] = chosen.shuffle[at] < 0 ? '\0' : static_cast<char>(source[static_cast<unsigned char>(chosen.shuffle[at])]);
#endif
    slot[slot_bytes - 1] = chosen.length;
}

#if defined(__wasm_simd128__)
// The slots of four handled values, the source bytes of each lane taken from the vectors
// without leaving them.
void fill_four_slots(const four_texts& texts, char* slots)
{
    const v128_t constants = wasm_i64x2_splat(static_cast<std::int64_t>(source_constants));
    const v128_t first_lanes = wasm_i32x4_shuffle(texts.first_four, texts.last_two, 0, 4, 1, 5);
    const v128_t last_lanes = wasm_i32x4_shuffle(texts.first_four, texts.last_two, 2, 6, 3, 7);
    const v128_t sources[lanes] = {
        wasm_i64x2_shuffle(first_lanes, constants, 0, 2), wasm_i64x2_shuffle(first_lanes, constants, 1, 2),
        wasm_i64x2_shuffle(last_lanes, constants, 0, 2), wasm_i64x2_shuffle(last_lanes, constants, 1, 2)};
    for (std::size_t k = 0; k < lanes; ++k) {
        const layout& chosen = layouts[static_cast<std::size_t>(texts.layout[k])];
        char* slot = slots + k * slot_bytes;
        wasm_v128_store(slot, wasm_i8x16_swizzle(sources[k], wasm_v128_load(chosen.shuffle)));
        slot[slot_bytes - 1] = chosen.length;
    }
}
#endif

} // namespace

void format_eight_into_slots_in_vectors(const float* values, char* slots)
{
    for (std::size_t group = 0; group < values_per_batch; group += lanes) {
        const four_texts texts = texts_of_four(values + group);
#if defined(__wasm_simd128__)
        if (wasm_i32x4_all_true(texts.handled)) {
            fill_four_slots(texts, slots + group * slot_bytes);
            continue;
        }
#endif
        for (std::size_t k = 0; k < lanes; ++k) {
            char* slot = slots + (group + k) * slot_bytes;
            if (texts.handled[k])
                fill_slot(texts.first_four[k], texts.last_two[k], layouts[static_cast<std::size_t>(texts.layout[k])], slot);
            else
                format_into_slots_one_by_one(values + group + k, 1, slot);
        }
    }
}

} // namespace torvane
