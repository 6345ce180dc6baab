#pragma once
// What a watched run saw that bears on how far its inverse can be trusted: how large the
// working grew, where the 1e-6 rule set entries to zero, and where inf or nan first arose
// and why. The accuracy check names its causes from these, not from guesses.

#include "elimination_observer.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace torvane {

struct pass_record;

// The first pass (or the normalisation) that turned a finite matrix into one with inf or nan.
struct breakdown {
    enum class kind { zero_pivot, overflow };
    kind what = kind::overflow;
    std::int32_t step = 0;   // the step block; 0 for the normalisation
    std::uint32_t row = 0;   // zero pivot: the pivot row; overflow: the row that overflowed
    std::optional<float> factor;        // overflow: the factor that overflowed, when one did
    std::int32_t pivot_zeroed_in = 0;   // zero pivot: the step whose 1e-6 rule made it 0, if one did
};

// One entry the 1e-6 rule set to zero during the passes.
struct zeroing {
    std::int32_t step = 0;
    std::size_t place = 0;  // row-major in the N x 2N matrix
};

struct elimination_findings {
    std::uint32_t order = 0;
    double largest_loaded = 0;  // the largest |entry| of A as loaded
    double largest_worked = 0;  // the largest finite |entry| the left half held after any pass
    // Entries the 1e-6 rule set to zero during the passes, short of the leftovers in the
    // column each pass clears.
    std::size_t zeroings = 0;
    std::optional<zeroing> first_zeroing;
    // N x N: the places of the inverse that the rule set to zero in a pass or in the
    // normalisation.
    std::vector<bool> inverse_zeroed;
    // N: the last step whose rule set each diagonal entry to zero (0: none did).
    std::vector<std::int32_t> diagonal_zeroed_in;
    bool loaded_finite = true;
    std::optional<breakdown> first_breakdown;

    // How many times the largest entry of A the working grew to; at least 1.
    double growth() const;
};

// A fresh account of the matrix [A | I] as loaded (N x 2N, row-major).
elimination_findings findings_at_start(std::uint32_t order, const std::vector<float>& loaded);
// Adds what one pass did.
void note_pass(elimination_findings& findings, const pass_record& pass);
// Adds what the normalisation did: every row of `before` divided by its divisor gave `after`.
void note_normalisation(elimination_findings& findings, const std::vector<float>& before,
                        const std::vector<float>& divisors, const std::vector<float>& after);

} // namespace torvane
