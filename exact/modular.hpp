#pragma once
// Arithmetic modulo a prime below 2^62 in Montgomery form: a product is two 64-bit
// multiplications and a shift instead of a 128-bit division.

#include <cstdint>

namespace torvane::modular {

// GCC's and Clang's 128-bit integer, which every target here has (an extension of C++).
__extension__ using wide = unsigned __int128;

class field {
public:
    explicit field(std::uint64_t prime);

    std::uint64_t prime() const { return p_; }
    // Into and out of Montgomery form.
    std::uint64_t from_plain(std::uint64_t value) const { return multiply(value % p_, r2_); }
    std::uint64_t to_plain(std::uint64_t value) const { return reduce(value); }

    std::uint64_t multiply(std::uint64_t a, std::uint64_t b) const
    {
        return reduce(static_cast<wide>(a) * b);
    }
    std::uint64_t subtract(std::uint64_t a, std::uint64_t b) const { return a - b + p_if(a < b); }
    std::uint64_t negate(std::uint64_t a) const { return a == 0 ? 0 : p_ - a; }
    std::uint64_t power(std::uint64_t base, std::uint64_t exponent) const;
    // For a non-zero a, by Fermat's little theorem.
    std::uint64_t inverse(std::uint64_t a) const { return power(a, p_ - 2); }
    std::uint64_t one() const { return one_; }

private:
    // t / 2^64 mod p for t < p^2: m = t p^-1 mod 2^64 makes t - m p a multiple of 2^64
    // whose low words cancel, so only the high words are subtracted (no 128-bit sum, which
    // GCC's -O3 keeps in memory).
    std::uint64_t reduce(wide t) const
    {
        const std::uint64_t m = static_cast<std::uint64_t>(t) * p_inverse_;
        const auto mp_high = static_cast<std::uint64_t>((static_cast<wide>(m) * p_) >> 64);
        const auto t_high = static_cast<std::uint64_t>(t >> 64);
        return t_high - mp_high + p_if(t_high < mp_high);
    }
    // p or 0 by a mask, not a branch: which one it is follows the data, so a branch would
    // be mispredicted half the time (GCC's -O3 makes one of the ?: form).
    std::uint64_t p_if(bool condition) const { return p_ & (0 - static_cast<std::uint64_t>(condition)); }

    std::uint64_t p_;
    std::uint64_t p_inverse_;          // p^-1 mod 2^64
    std::uint64_t r2_;                 // 2^128 mod p
    std::uint64_t one_;                // 2^64 mod p, 1 in Montgomery form
};

// Whether n (odd, below 2^62) is prime: Miller-Rabin with bases that decide every 64-bit n.
bool is_prime(std::uint64_t n);

// The largest prime below `below`.
std::uint64_t prime_below(std::uint64_t below);

} // namespace torvane::modular
