#pragma once
// The engine's working state. It lives for the whole process, as the dialog program's
// does, and each compute run resets the parts it uses before it starts.

#include "input_file.hpp"
#include "matrix.hpp"
#include "output_file.hpp"

#include <cstdint>
#include <vector>

namespace torvane {

extern std::int32_t dimension;        // the order N as last read; the run resets it to 0
extern working_matrix matrix;         // N rows of 2N entries: [A | I], then [I | A^-1]
extern std::vector<float> row_buffer; // one row being assembled: while loading, and while normalising
extern working_matrix normalized;     // the normalised rows, built apart and then copied into matrix
extern std::int32_t step_count;       // step blocks written in this run
extern input_file in_file;            // "mat.data", read back as numbers
extern output_file out_file;          // "mat.result", the report

// Every run starts here: no order, no step written, an empty matrix.
void begin_run();

} // namespace torvane
