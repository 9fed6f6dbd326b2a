#include "boot/console-start.h"

#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/series-memory.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

void run_text(const char* code) {
    Cell text = *string_load(reinterpret_cast<const uint8_t*>(code),
                             static_cast<uint32_t>(std::strlen(code)), 0);
    Cell block;
    lexer_load_string(&block, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
    // The program's own code: errors point at the script's code, not here.
    block_buffer(&block)->flags |= kFlagLibrary;
    stack_reset();
    if (interp_eval_block(&block, true).exit_pending()) exit_take();
    stack_reset();
}

} // namespace

void console_start() {
    run_text("either object? get/any 'gui-console-ctx [gui-console-ctx/launch] "
             "[text-console-ctx/launch]");
}

} // namespace xel
