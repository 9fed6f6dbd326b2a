#include "boot/entry.h"

#include <cfenv>
#include <cstdlib>

#include "boot/startup.h"
#include "platform/os/stack.h"
#include "runtime/core/fatal.h"
#include "runtime/core/runtime-record.h"
#include "runtime/core/throw.h"

namespace xel {

namespace {

void (*g_body)() = nullptr;

int run(void*) {
    install_fault_filter();
    try {
        startup();
        if (g_body) g_body();
    } catch (const Throw& t) {
        top_level_handler(t.code);
    }
    runtime_error(kErrNone, 0);
}

} // namespace

void run_program(int argc, char** argv, void (*body)()) {
    std::fesetround(FE_TONEAREST);
    g_runtime.argc = argc;
    g_runtime.argv = argv;
    g_body = body;
    run_on_big_stack(run, nullptr);
    std::exit(0);
}

} // namespace xel
