#include "state.hpp"

namespace torvane {

std::int32_t dimension = 0;
working_matrix matrix;
std::vector<float> row_buffer;
std::int32_t step_count = 0;
input_file in_file;
output_file out_file;
step_observer on_step_written = nullptr;

} // namespace torvane
