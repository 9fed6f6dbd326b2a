// The program's entry sequence, shared by the program and its test probes.
#pragma once

namespace xel {

// Runs on the run-time's own stack: installs the fault filter, opens the
// outermost catch point, brings the run-time up, runs body (the top level)
// and ends through the normal exit (status 0). Does not return.
[[noreturn]] void run_program(int argc, char** argv, void (*body)());

} // namespace xel
