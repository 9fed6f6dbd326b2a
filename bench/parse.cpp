// The parse engine on long inputs: charset repetitions (the tight loops),
// alternatives of literals through rule frames, a block input matched by
// datatype, and collect/keep. Each script runs once and its time is printed.
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
    letter: make bitset! [#"a" - #"z" #"A" - #"Z"]
    digit: make bitset! [#"0" - #"9"]
    text: copy ""
    loop 20000 [append text "word123 Other456, "]
    items: copy []
    loop 50000 [append items [1 "two" three]]
)";

struct Case {
    const char* name;
    const char* code;
};

const Case kCases[] = {
    {"charset runs", "loop 20 [parse text [some [some letter | some digit | skip]]]"},
    {"literal alternatives", "loop 5 [parse text [some [\"word\" | \"Other\" | \", \" | skip]]]"},
    {"block by datatype", "loop 20 [parse items [some [integer! | string! | word!]]]"},
    {"sub-blocks and copy", "loop 5 [parse items [some [copy x [integer! string!] word!]]]"},
    {"collect keep", "loop 5 [parse items [collect [some [keep integer! | skip]]]]"},
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
