#pragma once

#include "compute_run.hpp"

#include <string_view>

namespace torvane {

// Writes the dimension text, a line feed and the data text to "mat.data", then opens
// "mat.data" for reading and "mat.result" for writing. An empty dimension text leaves
// "mat.data" empty (the data then has no stream to go to); an empty data text stops after
// the dimension, with "mat.data" still open for writing and nothing open for reading.
// Returns the failure when a file cannot be opened or written. Both are made by `files`.
run_status save_inputs(std::string_view dimension_text, std::string_view data_text, const file_system& files);

} // namespace torvane
