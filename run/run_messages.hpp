#pragma once
// What a failed run tells the user, in the console's English or in the dialog's Chinese.

#include "compute_run.hpp"

#include <string>

namespace torvane {

// One line, no line break: why the run could not be carried out.
std::string describe_failure_english(const run_status& status);
// The same for the dialog's result box: GBK-encoded Chinese with CR LF-free text.
std::string describe_failure_chinese_gbk(const run_status& status);

} // namespace torvane
