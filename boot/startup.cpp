#include "boot/startup.h"

#include <cstdint>

#include "boot/fatal.h"
#include "boot/runtime-record.h"
#include "boot/throw.h"
#include "boot/boot-load.h"
#include "runtime/runtime-init.h"

namespace xel {

void startup() {
    uint8_t marker;
    g_runtime.stack_base = reinterpret_cast<uintptr_t>(&marker);
    runtime_init();
    boot_run_top_level();
}

void top_level_handler(uint32_t code) {
    if (code == kThrowQuit) runtime_error(kErrNone, 0);
    runtime_error(kErrNoCatch,
                  static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&top_level_handler)));
}

} // namespace xel
