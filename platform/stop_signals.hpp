#pragma once
// Signals that would end the program while it writes its report. Killed by one of them
// with its default action, a run would leave half a report in "mat.result" that ends on
// a whole step block and so looks like a report. Caught instead, they stop the run at its
// next step block, which empties the report, and the program exits with 128 + the signal.

#include <string>

namespace torvane {

// From here on every signal whose default action ends the process (besides SIGKILL and
// SIGSTOP, which cannot be caught, and the faults a program raises on itself, such as
// SIGSEGV) asks the run to stop, even one the program was started with ignored (a shell
// starts a background job with SIGINT and SIGQUIT ignored; with SIGPIPE ignored a closed
// standard output would only make each write fail). Only SIGHUP stays ignored when it
// was: nohup asks for a run that outlives its terminal.
void stop_on_signals();

// The first signal that asked the run to stop, or 0.
int signal_that_stopped();

// "SIGINT", "SIGRTMIN+3": the signal's name as `kill -l` gives it, with "SIG" before it.
std::string signal_name(int signal_number);

} // namespace torvane
