#pragma once
// `torvane --latex FILE`: the working as a LaTeX document a teacher can put into a
// worksheet: each pass as a matrix with its row operations, the normalisation, the
// inverse and the accuracy check. With --exact the entries are exact fractions; without,
// the numbers the report prints. It needs only LaTeX's base packages (amsmath, graphicx,
// geometry), and pdflatex makes it a PDF.

#include "accuracy_check.hpp"
#include "elimination_record.hpp"
#include "exact_account.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

// The largest order whose [A | I] still fits across a page in a readable size.
inline constexpr std::int32_t largest_latex_order = 16;

std::string latex_document(const elimination_record& record, const std::vector<pass_record>& passes,
                           const accuracy& check);
std::string latex_exact_document(const exact_account& account, const accuracy& check);

} // namespace torvane
