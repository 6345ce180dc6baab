#include "exact_inverse.hpp"

#include "modular.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace torvane {
namespace {

// B as m * 2^shift for each entry: m has the float's 24 bits and its sign, shift >= 0.
struct scaled_matrix {
    std::size_t order = 0;
    std::vector<std::int64_t> mantissa;
    std::vector<std::int32_t> shift;
    std::vector<std::int32_t> row_shift;
};

scaled_matrix scale_to_whole_numbers(std::size_t order, const std::vector<float>& a)
{
    scaled_matrix b{order, std::vector<std::int64_t>(order * order), std::vector<std::int32_t>(order * order),
                    std::vector<std::int32_t>(order)};
    for (std::size_t i = 0; i < order; ++i) {
        std::int32_t lowest = 0;
        bool any = false;
        for (std::size_t j = 0; j < order; ++j) {
            const float v = a[i * order + j];
            if (v == 0)
                continue;
            const binary_fraction exact = exact_value(v);
            b.mantissa[i * order + j] = static_cast<std::int64_t>(exact.numerator);
            b.shift[i * order + j] = exact.exponent;
            lowest = any ? std::min(lowest, exact.exponent) : exact.exponent;
            any = true;
        }
        b.row_shift[i] = -lowest;
        for (std::size_t j = 0; j < order; ++j)
            b.shift[i * order + j] += b.mantissa[i * order + j] != 0 ? b.row_shift[i] : 0;
    }
    return b;
}

// log2 of Hadamard's bound, prod max(1, |row|), which bounds |det B| and every entry of
// adj(B) (each a minor of B), with room for the rounding of the doubles it is summed in.
double hadamard_bits(const scaled_matrix& b)
{
    double bits = 0;
    for (std::size_t i = 0; i < b.order; ++i) {
        double squares = 0;
        for (std::size_t j = 0; j < b.order; ++j) {
            const double entry = std::ldexp(static_cast<double>(b.mantissa[i * b.order + j]), b.shift[i * b.order + j]);
            squares += entry * entry;
        }
        bits += squares > 1 ? 0.5 * std::log2(squares) : 0;
    }
    return bits * (1 + 1e-9) + 2;
}

// Every prime used lies between 2^61 and 2^62.
constexpr double bits_per_prime = 61;
constexpr std::uint64_t primes_below = std::uint64_t{1} << 62;

std::size_t primes_needed(const scaled_matrix& b)
{
    // The product of the primes must pass twice the bound: the values have a sign.
    return static_cast<std::size_t>(std::ceil((hadamard_bits(b) + 1) / bits_per_prime));
}

// B modulo the field's prime, in Montgomery form.
std::vector<std::uint64_t> residues_of(const scaled_matrix& b, const modular::field& f)
{
    const std::int32_t largest_shift = *std::max_element(b.shift.begin(), b.shift.end());
    std::vector<std::uint64_t> powers_of_two(static_cast<std::size_t>(largest_shift) + 1);
    powers_of_two[0] = f.one();
    const std::uint64_t two = f.from_plain(2);
    for (std::size_t k = 1; k < powers_of_two.size(); ++k)
        powers_of_two[k] = f.multiply(powers_of_two[k - 1], two);
    std::vector<std::uint64_t> m(b.mantissa.size());
    for (std::size_t i = 0; i < m.size(); ++i) {
        const std::int64_t v = b.mantissa[i];
        const std::uint64_t magnitude = f.from_plain(static_cast<std::uint64_t>(v < 0 ? -v : v));
        const std::uint64_t scaled = f.multiply(magnitude, powers_of_two[static_cast<std::size_t>(b.shift[i])]);
        m[i] = v < 0 ? f.negate(scaled) : scaled;
    }
    return m;
}

void swap_rows(std::vector<std::uint64_t>& m, std::size_t n, std::size_t a, std::size_t b)
{
    std::swap_ranges(m.begin() + static_cast<std::ptrdiff_t>(a * n), m.begin() + static_cast<std::ptrdiff_t>(a * n + n),
                     m.begin() + static_cast<std::ptrdiff_t>(b * n));
}

// Gauss-Jordan in place with row exchanges: m becomes adj(B) and the result is det(B),
// both modulo p and in plain form. A zero result leaves m undefined.
std::uint64_t adjugate_modulo(const modular::field& f, std::vector<std::uint64_t>& m, std::size_t n)
{
    std::vector<std::size_t> exchanged(n);
    std::uint64_t determinant = f.one();
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t r = k;
        while (r < n && m[r * n + k] == 0)
            ++r;
        if (r == n)
            return 0;
        if (r != k) {
            swap_rows(m, n, r, k);
            determinant = f.negate(determinant);
        }
        exchanged[k] = r;
        std::uint64_t* pivot_row = &m[k * n];
        determinant = f.multiply(determinant, pivot_row[k]);
        const std::uint64_t inverse = f.inverse(pivot_row[k]);
        pivot_row[k] = f.one();
        for (std::size_t c = 0; c < n; ++c)
            pivot_row[c] = f.multiply(pivot_row[c], inverse);
        for (std::size_t i = 0; i < n; ++i) {
            std::uint64_t* row = &m[i * n];
            const std::uint64_t factor = row[k];
            if (i == k || factor == 0)
                continue;
            row[k] = 0;
            for (std::size_t c = 0; c < n; ++c)
                row[c] = f.subtract(row[c], f.multiply(factor, pivot_row[c]));
        }
    }
    // The inverse of the exchanged rows is the inverse of B with its columns exchanged.
    for (std::size_t k = n; k-- > 0;)
        if (exchanged[k] != k)
            for (std::size_t i = 0; i < n; ++i)
                std::swap(m[i * n + k], m[i * n + exchanged[k]]);
    for (std::uint64_t& v : m)
        v = f.to_plain(f.multiply(v, determinant));
    return f.to_plain(determinant);
}

// Garner's mixed-radix form of the residues, then the whole number in (-M/2, M/2].
class chinese_remainders {
public:
    explicit chinese_remainders(const std::vector<std::uint64_t>& primes) : primes_(primes), product_(1)
    {
        for (std::size_t i = 0; i < primes.size(); ++i) {
            fields_.emplace_back(primes[i]);
            product_ *= primes[i];
            inverses_.emplace_back();
            for (std::size_t j = 0; j < i; ++j)
                inverses_[i].push_back(fields_[i].inverse(fields_[i].from_plain(primes[j])));
        }
        half_ = product_ / 2;
    }

    big_int combine(const std::vector<std::uint64_t>& residues) const
    {
        std::vector<std::uint64_t> digits(residues.size());
        for (std::size_t i = 0; i < residues.size(); ++i) {
            const modular::field& f = fields_[i];
            std::uint64_t t = f.from_plain(residues[i]);
            for (std::size_t j = 0; j < i; ++j)
                t = f.multiply(f.subtract(t, f.from_plain(digits[j])), inverses_[i][j]);
            digits[i] = f.to_plain(t);
        }
        big_int value = 0;
        for (std::size_t i = residues.size(); i-- > 0;)
            value = value * primes_[i] + digits[i];
        return value > half_ ? value - product_ : value;
    }

private:
    std::vector<std::uint64_t> primes_;
    std::vector<modular::field> fields_;
    std::vector<std::vector<std::uint64_t>> inverses_;  // [i][j]: primes[j]^-1 mod primes[i], Montgomery form
    big_int product_;
    big_int half_;
};

} // namespace

exact_fraction exact_inverse::entry(std::size_t row, std::size_t column) const
{
    big_int numerator = adjugate[row * order + column];
    big_int denominator = determinant;
    const std::int32_t shift = row_shift[column];
    if (shift >= 0)
        numerator <<= shift;
    else
        denominator <<= -shift;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    return {std::move(numerator), std::move(denominator)};
}

double exact_inverse_work(std::size_t order, const std::vector<float>& a)
{
    const double n = static_cast<double>(order);
    const auto primes = static_cast<double>(primes_needed(scale_to_whole_numbers(order, a)));
    return primes * n * n * n + 2 * primes * primes * n * n;
}

exact_inverse invert_exactly(std::size_t order, const std::vector<float>& a)
{
    const scaled_matrix b = scale_to_whole_numbers(order, a);
    const std::size_t needed = primes_needed(b);
    exact_inverse result;
    result.order = order;
    result.row_shift = b.row_shift;
    std::vector<std::uint64_t> primes;
    std::vector<std::vector<std::uint64_t>> residues;  // per prime: adj(B) then det(B)
    std::size_t primes_dividing_det = 0;
    for (std::uint64_t p = modular::prime_below(primes_below); primes.size() < needed; p = modular::prime_below(p)) {
        const modular::field f(p);
        std::vector<std::uint64_t> m = residues_of(b, f);
        const std::uint64_t determinant = adjugate_modulo(f, m, order);
        if (determinant == 0) {
            // |det B| is below the bound, so once the primes that divide it multiply past
            // the bound, it is 0. A non-singular B has fewer such primes than that.
            if (++primes_dividing_det >= needed) {
                result.singular = true;
                return result;
            }
            continue;
        }
        primes.push_back(p);
        m.push_back(determinant);
        residues.push_back(std::move(m));
    }
    const chinese_remainders crt(primes);
    std::vector<std::uint64_t> column(primes.size());
    const auto combine_entry = [&](std::size_t i) {
        for (std::size_t k = 0; k < primes.size(); ++k)
            column[k] = residues[k][i];
        return crt.combine(column);
    };
    result.adjugate.reserve(order * order);
    for (std::size_t i = 0; i < order * order; ++i)
        result.adjugate.push_back(combine_entry(i));
    result.determinant = combine_entry(order * order);
    return result;
}

} // namespace torvane
