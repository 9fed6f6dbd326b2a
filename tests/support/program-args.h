// The arguments of a test or benchmark program, for the body it hands to
// run_program (boot/entry.h): the run-time keeps them in its process record,
// so main needs no globals of its own.
#pragma once
#include "runtime/core/runtime-record.h"

namespace xel_test {

struct ProgramArgs {
    int argc;
    char** argv;
};

inline ProgramArgs program_args() {
    return {xel::g_runtime.argc, xel::g_runtime.argv};
}

} // namespace xel_test
