#include "state.hpp"

namespace torvane {

std::int32_t dimension = 0;
working_matrix matrix;
std::vector<float> row_buffer;
working_matrix normalized;
std::int32_t step_count = 0;
input_file in_file;
output_file out_file;

void begin_run()
{
    dimension = 0;  // an order is never carried over from an earlier run
    step_count = 0;
    matrix.clear();
    row_buffer.clear();
    normalized.clear();
}

} // namespace torvane
