#pragma once
// `torvane --exact`: the working in exact fractions, pass by pass, as a student does it by
// hand, with the single-precision run's numbers beside them where they are other numbers;
// then the exact inverse, the digits the report's X gets right in each entry, and the
// accuracy check.

#include "accuracy_check.hpp"
#include "exact_account.hpp"
#include "text_table.hpp"

#include <string>
#include <vector>

namespace torvane {

// A fraction as a student writes it: "-7/3", "5"; a numerator or denominator of more than
// 12 digits is shortened to its first and last four with its digit count.
std::string fraction_text(const big_rational& value, bool unicode);

// An entry: the exact value, and the run's float in brackets where it is another number,
// marked * where its printed digits differ too.
std::string exact_cell_text(const exact_cell& cell, bool unicode);
// A pass's repair, row operations and differences from the run, one line each, unindented.
std::vector<std::string> exact_operation_lines(const exact_step& step, bool unicode);

// The whole view, ready to print.
std::string exact_view_text(const exact_account& account, const accuracy& check, const explain_style& style);

} // namespace torvane
