#include "format_slots.hpp"

#include "format_value.hpp"
#include "report.hpp"

namespace torvane {

static_assert(max_value_chars + 3 <= slot_bytes, "a slot must hold a value, its blanks and its length");

void format_into_slots_one_by_one(const float* values, std::size_t count, char* slots)
{
    for (std::size_t k = 0; k < count; ++k) {
        char* slot = slots + k * slot_bytes;
        const char* end = put_value(values[k], slot);
        slot[slot_bytes - 1] = static_cast<char>(end - slot);
    }
}

bool slots_formatted_with_avx2()
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return available;
#else
    return false;
#endif
}

void format_into_slots(const float* values, std::size_t count, char* slots)
{
    std::size_t done = 0;
#if defined(__wasm_simd128__)
    for (; done + values_per_batch <= count; done += values_per_batch)
        format_eight_into_slots_in_vectors(values + done, slots + done * slot_bytes);
#else
    if (slots_formatted_with_avx2())
        for (; done + values_per_batch <= count; done += values_per_batch)
            format_eight_into_slots_avx2(values + done, slots + done * slot_bytes);
#endif
    format_into_slots_one_by_one(values + done, count - done, slots + done * slot_bytes);
}

} // namespace torvane
