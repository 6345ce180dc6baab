#pragma once
// The engine's working state. It lives for the whole process, as the dialog program's
// does, and each compute run resets the parts it uses before it starts.

#include "input_file.hpp"
#include "matrix.hpp"
#include "output_file.hpp"

#include <atomic>
#include <cstdint>
#include <vector>

namespace torvane {

extern std::int32_t dimension;        // the order N as last read; the run resets it to 0
extern working_matrix matrix;         // N rows of 2N entries: [A | I], then [I | A^-1]
extern std::vector<float> row_buffer; // one row being assembled while loading
extern std::int32_t step_count;       // step blocks written in this run
extern input_file in_file;            // "mat.data", read back as numbers
extern output_file out_file;          // "mat.result", the report

// Called after every step block with the step number and the number of steps the run
// will write, so a front end can show progress; empty by default.
using step_observer = void (*)(std::int32_t step, std::int32_t total_steps);
extern step_observer on_step_written;

// Set from outside the run, by a signal handler, say: the run stops after the step block
// it is writing (clean_and_write_step throws run_stopped), so it never ends in the middle of a row.
extern std::atomic<bool> stop_requested;
struct run_stopped {};

// Every run starts here: no order, no step written, an empty matrix.
void begin_run();

} // namespace torvane
