// Runs Xel source in the booted run-time for the benchmarks, which time it.
#pragma once
#include <string>

namespace xel::bench {

// Loads and evaluates code under a try frame from an empty stack; false when
// it raised an error. The result is dropped unmolded, so timing it is fair.
bool run_script(const std::string& code);

struct ScriptCase {
    const char* name;
    const char* code;
};

// Runs setup once, then each case once, printing its name and milliseconds.
void time_script_cases(const char* setup, const ScriptCase* cases, size_t count);

} // namespace xel::bench
