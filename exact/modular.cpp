#include "modular.hpp"

#include <initializer_list>

namespace torvane::modular {

field::field(std::uint64_t prime) : p_(prime)
{
    // Newton's iteration doubles the correct low bits of p^-1 mod 2^64: 3, 6, ... 96.
    std::uint64_t inverse = prime;
    for (int i = 0; i < 5; ++i)
        inverse *= 2 - prime * inverse;
    p_inverse_ = inverse;
    one_ = (0 - prime) % prime;  // 2^64 - p is 2^64 modulo p
    r2_ = static_cast<std::uint64_t>(static_cast<wide>(one_) * one_ % prime);
}

std::uint64_t field::power(std::uint64_t base, std::uint64_t exponent) const
{
    std::uint64_t result = one_;
    for (; exponent != 0; exponent >>= 1) {
        if (exponent & 1)
            result = multiply(result, base);
        base = multiply(base, base);
    }
    return result;
}

bool is_prime(std::uint64_t n)
{
    if (n < 4)
        return n >= 2;
    if (n % 2 == 0)
        return false;
    std::uint64_t odd = n - 1;
    int twos = 0;
    for (; odd % 2 == 0; odd /= 2)
        ++twos;
    const field f(n);
    const std::uint64_t minus_one = f.from_plain(n - 1);
    for (const std::uint64_t base : {2ULL, 325ULL, 9375ULL, 28178ULL, 450775ULL, 9780504ULL, 1795265022ULL}) {
        if (base % n == 0)
            continue;
        std::uint64_t x = f.power(f.from_plain(base), odd);
        if (x == f.one() || x == minus_one)
            continue;
        bool composite = true;
        for (int i = 1; i < twos && composite; ++i) {
            x = f.multiply(x, x);
            composite = x != minus_one;
        }
        if (composite)
            return false;
    }
    return true;
}

std::uint64_t prime_below(std::uint64_t below)
{
    std::uint64_t candidate = (below - 1) | 1;
    if (candidate >= below)
        candidate -= 2;
    while (!is_prime(candidate))
        candidate -= 2;
    return candidate;
}

} // namespace torvane::modular
