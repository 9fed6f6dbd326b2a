#include "boot/startup.h"

#include <cstdint>

#include "boot/boot-load.h"
#include "platform/os/stack.h"
#include "runtime/core/fatal.h"
#include "runtime/core/runtime-record.h"
#include "runtime/core/throw.h"
#include "runtime/memory/collector-hook.h"
#include "runtime/runtime-init.h"
#include "runtime/symbols/symbols.h"

namespace xel {

void startup() {
    // The collector scans the machine stack from its own frame up to this
    // base: the top of the run-time's stack, so that the frames of the
    // program's body after start-up are scanned too.
    uint8_t marker;
    g_runtime.stack_base = g_stack_high ? g_stack_high : reinterpret_cast<uintptr_t>(&marker);
    runtime_init();
    // Boot literals are in place: words are no longer recorded in the root
    // block, and collection may run from now on.
    g_boot_recording = false;
    g_collector_enabled = true;
    boot_run_top_level();
}

void top_level_handler(uint32_t code) {
    if (code == kThrowQuit) runtime_error(kErrNone, 0);
    runtime_error(kErrNoCatch,
                  static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&top_level_handler)));
}

} // namespace xel
