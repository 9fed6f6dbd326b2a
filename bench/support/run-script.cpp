#include "bench/support/run-script.h"

#include <chrono>
#include <cstdio>

#include "runtime/core/throw.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel::bench {

bool run_script(const std::string& code) {
    g_stack_args = g_stack_top = g_stack_base;
    g_frames_top = g_frames_base;
    uint32_t caught = catch_at(kCatchErrors, [&] {
        stack_mark_try(g_word_try);
        Cell source = *string_load(reinterpret_cast<const uint8_t*>(code.data()),
                                   static_cast<uint32_t>(code.size()), 0);
        Cell block;
        lexer_load_string(&block, &source, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
        stack_reset();
        if (interp_eval_block(&block, true).exit_pending()) exit_take();
    });
    return caught == 0;
}

void time_script_cases(const char* setup, const ScriptCase* cases, size_t count) {
    if (!run_script(setup)) {
        std::printf("setup failed\n");
        return;
    }
    for (size_t i = 0; i < count; i++) {
        auto start = std::chrono::steady_clock::now();
        bool ok = run_script(cases[i].code);
        double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("%-24s %10.1f ms%s\n", cases[i].name, ms, ok ? "" : "  (failed)");
    }
}

} // namespace xel::bench
