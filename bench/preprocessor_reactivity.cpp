// The library's preprocessor and reactivity on long inputs: a scan of code
// without directives, many #if directives, named and pattern macro calls, and
// reactive changes through a relation and through a chain of reactions. Each
// script runs once and its time is printed.
#include <chrono>
#include <cstdio>
#include <string>

#include "boot/entry.h"
#include "boot/throw.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/words/fixed-words.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

const char* const kSetup = R"(
    plain: copy [] loop 30000 [append plain [x: 1 + 2 (y) [z]]]
    ifs: copy [] loop 20000 [append ifs [#if true [a] x: 1 + 2 (y)]]
    calls: copy [#macro add2: func [x] [x + 2] #macro [integer! '+ integer!] func [s e] [s/1 + s/3]]
    loop 20000 [append calls [add2 1 2 + 3]]
    r: reactor [a: 0] o: make object! [x: none relate x: [r/a * 2]]
    c: reactor [x: 0 y: 0 z: 0]
    react/later [c/y: c/x + 1] react/later [c/z: c/y * 10]
)";

struct Case {
    const char* name;
    const char* code;
};

const Case kCases[] = {
    {"scan 120k values", "expand-directives/clean copy/deep plain"},
    {"20k #if directives", "expand-directives/clean copy/deep ifs"},
    {"40k macro calls", "expand-directives/clean copy/deep calls"},
    {"100k relate changes", "repeat i 100000 [r/a: i]"},
    {"30k chained changes", "repeat i 30000 [c/x: i]"},
};

bool run(const char* code) {
    g_stack_args = g_stack_top = g_stack_base;
    g_frames_top = g_frames_base;
    uint32_t caught = catch_at(kCatchErrors, [&] {
        stack_mark_try(g_word_try);
        std::string text(code);
        Cell source = *string_load(reinterpret_cast<const uint8_t*>(text.data()),
                                   static_cast<uint32_t>(text.size()), 0);
        Cell block;
        lexer_load_string(&block, &source, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
        stack_reset();
        if (interp_eval_block(&block, true).exit_pending()) exit_take();
    });
    return caught == 0;
}

void body() {
    if (!run(kSetup)) {
        std::printf("setup failed\n");
        return;
    }
    for (const Case& c : kCases) {
        auto start = Clock::now();
        bool ok = run(c.code);
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::printf("%-24s %10.1f ms%s\n", c.name, ms, ok ? "" : "  (failed)");
    }
}

} // namespace

int main(int argc, char** argv) {
    run_program(argc, argv, body);
}
