// The exact inverse of any small matrix of floats, held to what needs no inverse to check:
// A times it is exactly I, or A is singular, which a plain elimination in fractions with
// row exchanges confirms; and every float comes back from its exact value unchanged.

#include "fuzz_check.hpp"

#include "correct_digits.hpp"
#include "exact_inverse.hpp"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

using torvane::big_rational;

big_rational rational(float v)
{
    const torvane::exact_fraction f = torvane::fraction_of(v);
    return big_rational(f.numerator, f.denominator);
}

bool singular_in_fractions(std::size_t n, std::vector<big_rational> m)
{
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t r = k;
        while (r < n && m[r * n + k] == 0)
            ++r;
        if (r == n)
            return true;
        for (std::size_t c = 0; c < n; ++c)
            std::swap(m[k * n + c], m[r * n + c]);
        for (std::size_t i = k + 1; i < n; ++i)
            if (const big_rational f = m[i * n + k] / m[k * n + k]; f != 0)
                for (std::size_t c = k; c < n; ++c)
                    m[i * n + c] -= f * m[k * n + c];
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t n = 1 + bytes[0] % 5;
    std::vector<float> a(n * n, 0.0f);
    for (std::size_t i = 0; i < a.size() && 1 + 4 * i + 4 <= size; ++i) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, bytes + 1 + 4 * i, 4);
        const float v = std::bit_cast<float>(bits);
        a[i] = std::isfinite(v) ? v : 0.0f;
        FUZZ_CHECK(std::bit_cast<std::uint32_t>(torvane::nearest_float(torvane::fraction_of(a[i])) + 0.0f) ==
                   std::bit_cast<std::uint32_t>(a[i] + 0.0f));
    }
    std::vector<big_rational> exact_a;
    for (const float v : a)
        exact_a.push_back(rational(v));
    const torvane::exact_inverse inverse = torvane::invert_exactly(n, a);
    FUZZ_CHECK(inverse.singular == singular_in_fractions(n, exact_a));
    if (inverse.singular)
        return 0;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) {
            big_rational sum = 0;
            for (std::size_t k = 0; k < n; ++k) {
                const torvane::exact_fraction e = inverse.entry(k, j);
                FUZZ_CHECK(e.denominator > 0);
                sum += exact_a[i * n + k] * big_rational(e.numerator, e.denominator);
            }
            FUZZ_CHECK(sum == (i == j ? 1 : 0));
        }
    return 0;
}
