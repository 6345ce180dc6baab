#pragma once
// `torvane --html PAGE`: the working as one self-contained web page (inline style and
// script, nothing fetched) with a table per step block, the pivot outlined, what the pass
// changed tinted and what the 1e-6 rule set to zero marked; previous / next buttons, the
// arrow keys and #step=K in the address. The numbers are stored once: each step holds only
// the entries whose text changed, and the page works out the rest, highlighting included.
// Up to the order of the working in fractions, a switch shows every pass in fractions too.

#include "elimination_record.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

// The largest order whose page opens in under two seconds: headless Chromium on two busy
// cores took 1.3 to 1.6 s from asking for the page of order 120 (23 MB) to its first step
// on screen, and 1.8 to 2.1 s for order 140 (tests/browser/page_test.js --measure).
// Larger orders are refused. The --help text and README.md name the limit too.
inline constexpr std::int32_t largest_html_order = 120;

class html_page {
public:
    void add_pass(std::uint32_t order, const pass_record& pass);
    // The whole page, once the run is over.
    std::string finish(const elimination_record& record) const;

private:
    // The steps so far as scripts that add them: "T.steps.push(step,step,...);" pieces of
    // about step_script_bytes each, separated by "</script><script>".
    std::string steps_;
    std::size_t piece_start_ = 0;  // where the piece being filled began in steps_
    std::vector<pass_record> passes_;  // for the working in fractions, of orders that have it
};

} // namespace torvane
