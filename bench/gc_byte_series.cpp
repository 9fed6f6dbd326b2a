// Time of a collection against the size of the live byte series the machine
// stack refers to: strings and binaries hold no references, so the time
// should stay flat from none to a gigabyte. Each size is a binary! filled
// with bytes (its pages are touched) whose node and data address are held in
// locals of this frame, and a string! of the same size kept by a word.
#include <chrono>
#include <cstdio>
#include <cstring>

#include "boot/boot-load.h"
#include "boot/entry.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kCollections = 10;

void eval(const char* code) {
    Cell* source = string_load(reinterpret_cast<const uint8_t*>(code),
                               static_cast<uint32_t>(std::strlen(code)), 0);
    Cell text = *source;
    Cell block;
    lexer_load_string(&block, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
    stack_reset();
    if (interp_eval_block(&block, true).exit_pending()) exit_take();
}

[[gnu::noinline]] void measure(uint32_t bytes) {
    char code[96];
    std::snprintf(code, sizeof code, "s: append/dup copy {} {a} %u", bytes);
    eval(code);
    volatile Offset node = alloc_bytes_filled(bytes, 0x5A);
    volatile uint8_t* data = at(buffer_of(node)->head);
    auto start = Clock::now();
    for (int i = 0; i < kCollections; i++)
        collector_collect();
    double ms =
        std::chrono::duration<double, std::milli>(Clock::now() - start).count() / kCollections;
    std::printf("live byte series 2 x %10u bytes  %8.3f ms per collection  (first byte %d)\n",
                bytes, ms, data[0]);
    eval("s: none");
}

void body() {
    runtime_init();
    g_boot_recording = false;
    boot_run_top_level();
    g_collector_enabled = true;
    for (uint32_t bytes : {0u, 1u << 20, 16u << 20, 256u << 20, 1u << 30})
        measure(bytes);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    run_program(argc, argv, body);
}
