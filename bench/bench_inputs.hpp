#pragma once
// Inputs the benchmarks share: random integer matrices as a user would type them.

#include <random>
#include <string>

namespace torvane::bench {

// N x N integers from -9 to 9, rows on lines of their own with the dialog's CR LF; the
// diagonal is kept nonzero so the run is a real inversion, not a singular one.
inline std::string random_integer_matrix(int n, unsigned seed = 20261206)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> entry(-9, 9);
    std::string text;
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            int value = entry(random);
            if (r == c && value == 0)
                value = 1;
            text += std::to_string(value);
            text += c + 1 < n ? " " : "\r\n";
        }
    }
    return text;
}

} // namespace torvane::bench
