#include "boot/boot-load.h"

#include "boot/boot-data.h"
#include "boot/boot-literals.h"
#include "boot/top-level-order.h"
#include "boot/xelbin/xelbin.h"
#include "runtime/core/runtime-record.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/memory/collector-hook.h"
#include "runtime/routines/library-routines.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// The GUI's event and key words are recorded in the root block while their
// group runs; after it the collector is switched on again.
constexpr int kRecordedGroup = 10;

} // namespace

void boot_load() {
    size_t size = 0;
    const uint8_t* blob = boot_data(&size);
    g_runtime.boot_data = blob;
    g_boot_literal_count = 0;
    if (!blob) return;
    uint32_t base = xelbin_boot_load(blob, size, false);
    g_boot_literal_count = block_buffer_length(&g_root) - base;
}

void boot_run_top_level() {
    // The run-time's routines come first: the scripts make objects with them.
    routines_bind_library();
    // Root records come in pairs: the script's file!, its code block.
    for (uint32_t i = 0; i + 1 < g_boot_literal_count; i += 2) {
        Cell file = *boot_literal_at(i);
        Cell code = *boot_literal_at(i + 1);
        auto script = top_level_script(string_utf8_text(&file));
        int group = script ? script->group : 0;
        bool recording = group == kRecordedGroup;
        if (recording) g_boot_recording = true;
        stack_reset();
        // An exit nothing took ends its script, not the start-up.
        if (interp_eval_block(&code, true).exit_pending()) exit_take();
        stack_reset();
        if (recording) {
            g_boot_recording = false;
            g_collector_enabled = true;
        }
    }
}

} // namespace xel
