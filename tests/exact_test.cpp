// Exact arithmetic, checked against what needs no elimination to know: A times its exact
// inverse is exactly I, Hilbert's inverse by its closed form, matrices singular by
// construction, and numbers whose digits can be worked out by hand.

#include "correct_digits.hpp"
#include "exact_inverse.hpp"
#include "modular.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

namespace torvane::testing {
namespace {

big_rational entry_of(const exact_inverse& inverse, std::size_t i, std::size_t j)
{
    const exact_fraction f = inverse.entry(i, j);
    EXPECT_GT(f.denominator, 0);
    return big_rational(f.numerator, f.denominator);
}

// A x A^-1, exactly, must be I. Both are turned into fractions once, before the n^3 products.
void expect_identity(std::size_t n, const std::vector<float>& a, const exact_inverse& inverse)
{
    std::vector<big_rational> a_exact, x_exact;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) {
            const exact_fraction f = fraction_of(a[i * n + j]);
            a_exact.emplace_back(f.numerator, f.denominator);
            x_exact.push_back(entry_of(inverse, i, j));
        }
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) {
            big_rational sum = 0;
            for (std::size_t k = 0; k < n; ++k)
                if (a[i * n + k] != 0)
                    sum += a_exact[i * n + k] * x_exact[k * n + j];
            ASSERT_EQ(sum, big_rational(i == j ? 1 : 0)) << "entry (" << i << ", " << j << ")";
        }
}

// Entries of very different sizes, fractions and zeros, as users type them.
std::vector<float> random_matrix(std::size_t n, std::mt19937& random)
{
    std::vector<float> a(n * n);
    for (float& v : a) {
        const int kind = static_cast<int>(random() % 6);
        const float base = static_cast<float>(static_cast<int>(random() % 19) - 9);
        v = kind == 0 ? 0.0f : kind == 1 ? base * 1e-30f : kind == 2 ? base * 3e20f : kind == 3 ? base / 7.0f : base;
    }
    return a;
}

TEST(exact_inverse, times_the_matrix_is_exactly_the_identity)
{
    std::mt19937 random(7);
    int inverted = 0;
    for (std::size_t n = 1; n <= 12; ++n)
        for (int trial = 0; trial < 6; ++trial) {
            const std::vector<float> a = random_matrix(n, random);
            const exact_inverse inverse = invert_exactly(n, a);
            if (inverse.singular)
                continue;
            ++inverted;
            expect_identity(n, a, inverse);
        }
    EXPECT_GT(inverted, 50);
}

TEST(exact_inverse, a_row_made_of_two_others_is_singular_and_a_tiny_change_is_not)
{
    std::mt19937 random(11);
    for (std::size_t n = 2; n <= 9; ++n) {
        std::vector<float> a(n * n);
        for (float& v : a)
            v = static_cast<float>(static_cast<int>(random() % 199) - 99) / 8.0f;
        for (std::size_t j = 0; j < n; ++j)
            a[(n - 1) * n + j] = a[j] - 2 * a[(n > 2 ? 1 : 0) * n + j];  // exact: eighths stay exact
        EXPECT_TRUE(invert_exactly(n, a).singular) << n;
        a[n * n - 1] = std::nextafter(a[n * n - 1], 1e9f);
        const exact_inverse changed = invert_exactly(n, a);
        ASSERT_FALSE(changed.singular) << n;
        expect_identity(n, a, changed);
    }
    EXPECT_TRUE(invert_exactly(3, {1, 2, 3, 4, 5, 6, 7, 8, 9}).singular);
    EXPECT_TRUE(invert_exactly(1, {0}).singular);
}

TEST(modular, primes_below_two_to_the_62_and_numbers_that_pass_for_primes)
{
    const std::uint64_t top = std::uint64_t{1} << 62;
    EXPECT_EQ(modular::prime_below(top), top - 57);
    EXPECT_EQ(modular::prime_below(top - 57), top - 87);
    EXPECT_EQ(modular::prime_below(top - 87), top - 117);
    EXPECT_TRUE(modular::is_prime((std::uint64_t{1} << 61) - 1));
    // Carmichael numbers, a strong pseudoprime to the bases 2, 3, 5 and 7, and 2^62 - 1.
    for (const std::uint64_t composite : std::initializer_list<std::uint64_t>{561, 41041, 3215031751, top - 1, 4, 9})
        EXPECT_FALSE(modular::is_prime(composite)) << composite;
    const modular::field f(top - 57);
    EXPECT_EQ(f.to_plain(f.multiply(f.from_plain(top - 58), f.from_plain(top - 58))), 1u);  // (-1)^2
    EXPECT_EQ(f.to_plain(f.multiply(f.inverse(f.from_plain(12345)), f.from_plain(12345))), 1u);
}

big_int choose(int n, int k)
{
    big_int r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * (n - k + i) / i;
    return r;
}

TEST(exact_inverse, hilbert_matrices_match_the_closed_form)
{
    for (int n = 1; n <= 10; ++n) {
        // Scaled by s, whose entries are whole numbers a float holds; (sH)^-1 = H^-1 / s.
        int s = 1;
        for (int k = 2; k < 2 * n; ++k)
            s = std::lcm(s, k);
        std::vector<float> a;
        for (int i = 1; i <= n; ++i)
            for (int j = 1; j <= n; ++j)
                a.push_back(static_cast<float>(s / (i + j - 1)));
        const exact_inverse inverse = invert_exactly(static_cast<std::size_t>(n), a);
        for (int i = 1; i <= n; ++i)
            for (int j = 1; j <= n; ++j) {
                const big_int closed = ((i + j) % 2 ? -1 : 1) * (i + j - 1) * choose(n + i - 1, n - j) *
                                       choose(n + j - 1, n - i) * choose(i + j - 2, i - 1) * choose(i + j - 2, i - 1);
                EXPECT_EQ(entry_of(inverse, static_cast<std::size_t>(i - 1), static_cast<std::size_t>(j - 1)),
                          big_rational(closed, s))
                    << n << ": (" << i << ", " << j << ")";
            }
    }
}

TEST(exact_numbers, three_significant_digits_as_printf_rounds_them)
{
    const struct {
        big_int numerator, denominator;
        const char* text;
    } rows[] = {
        {57, 1, "57"},       {1, 3, "0.333"},     {2, 3, "0.667"},       {-3, big_int("442722332758123741187"), "-6.78e-21"},
        {1245, 1, "1.24e+03"}, {1255, 1, "1.26e+03"}, {9995, 10, "1e+03"}, {1, 100000, "1e-05"},
        {12345, 1000000, "0.0123"}, {big_int(1) << 400, 1, "2.58e+120"}, {0, 7, "0"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(significant_text(row.numerator, row.denominator, 3), row.text);
}

// A double as an exact fraction.
exact_fraction fraction_of_double(double v)
{
    int exponent = 0;
    const auto mantissa = static_cast<std::int64_t>(std::ldexp(std::frexp(v, &exponent), 53));
    exponent -= 53;
    if (exponent >= 0)
        return {big_int(mantissa) << exponent, 1};
    return {big_int(mantissa), big_int(1) << -exponent};
}

TEST(exact_numbers, nearest_float_rounds_as_the_float_type_does)
{
    // Each value is a double, so the float type's own rounding of it is the reference.
    for (const double v : {1.0 / 3, -2.0 / 3, 1e-30, 1e-45, 7e-46, 0.7e-45, 3.4028235e38, 3.4028236e38, 3.5e38,
                           16777217.0, 16777219.0, 0.1, -1e-40, 1.1754942e-38})
        EXPECT_EQ(nearest_float(fraction_of_double(v)), static_cast<float>(v)) << v;
}

TEST(exact_numbers, correct_digits_of_printed_and_stored_values)
{
    const exact_fraction third{1, 3};
    const struct {
        const char* printed;
        exact_fraction exact;
        double digits;
    } rows[] = {
        {"0.333333", third, 6.0},            // an error of exactly 1e-6 of the value
        {"0.333334", third, 5.6},
        {"0.666667", {2, 3}, 6.3},
        {"0.5", {1, 2}, 7.2},                // exact: the cap
        {"0", {-3, big_int("442722332758123741187")}, 0.0},
        {"1e-05", {0, 1}, 5.0},              // absolute where the exact value is 0
        {"-1.5e+10", {-15000000001, 1}, 7.2},
        {"2", {-2, 1}, 0.0},
        {"1.000001", {1, 1}, 6.0},           // exactly 10^-6: six digits
        {"1.0000010000000001", {1, 1}, 5.9}, // a hair more: not six, however close
    };
    for (const auto& row : rows)
        EXPECT_EQ(correct_digits(*fraction_of_text(row.printed), row.exact, 7.2), row.digits) << row.printed;
    EXPECT_FALSE(fraction_of_text("1,5"));
    EXPECT_FALSE(fraction_of_text("e5"));
    EXPECT_TRUE(same_value(*fraction_of_text("-2.5e-1"), {-1, 4}));
}

} // namespace
} // namespace torvane::testing
