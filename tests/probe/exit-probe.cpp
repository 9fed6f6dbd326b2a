// A small program that runs the real entry sequence and then misbehaves in
// the way its argument names, so tests can watch the exit paths from outside.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>

#include "boot/entry.h"
#include "platform/os/virtual-memory.h"
#include "runtime/actions/dispatch.h"
#include "runtime/core/heap.h"
#include "runtime/core/runtime-record.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/series-memory.h"
#include "runtime/stack/stack.h"

namespace {

const char* g_mode = "";
const char* g_code = "";
const char* g_limit_mb = "0";

volatile int g_sink = 0;

volatile int g_limit = 1 << 30;

__attribute__((noinline)) int recurse(int n) {
    volatile char pad[512];
    pad[0] = static_cast<char>(n);
    if (n > g_limit) return 0;
    return recurse(n + 1) + pad[0];
}

// Runs code as a script runs, with no try around it, and prints the molded
// result on standard output. At most the given megabytes may be committed
// beyond what start-up and loading took, so memory runs out quickly.
void run_script() {
    using namespace xel;
    Cell text = *string_load(reinterpret_cast<const uint8_t*>(g_code),
                             static_cast<uint32_t>(std::strlen(g_code)), 0);
    Cell block;
    lexer_load_string(&block, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
    stack_reset();
    uint64_t limit = std::strtoull(g_limit_mb, nullptr, 10) << 20;
    if (limit) os_set_commit_limit(os_committed_bytes() + limit);
    if (interp_eval_block(&block, true).exit_pending()) exit_take();
    // Printing is not part of the script: it may take memory again.
    os_set_commit_limit(0);
    Cell result = *stack_arguments();
    Cell out;
    string_make_at(&out, 64);
    actions_mold_typed(&result, &out, false, false, false, nullptr, 200, 0);
    std::string molded = string_utf8_text(&out);
    std::fwrite(molded.data(), 1, molded.size(), stdout);
    std::fflush(stdout);
}

void body() {
    using namespace xel;
    if (!std::strcmp(g_mode, "script")) run_script();
    if (!std::strcmp(g_mode, "quit")) throw_code(kThrowQuit);
    if (!std::strcmp(g_mode, "throw")) throw_code(kThrowBreak);
    if (!std::strcmp(g_mode, "error")) error_fire(kCatScript, err::script::kNoValue);
    if (!std::strcmp(g_mode, "segv")) {
        volatile uintptr_t address = 16;
        g_sink = *reinterpret_cast<volatile int*>(address);
    }
    if (!std::strcmp(g_mode, "divide")) {
        int zero = 0, one = 1, high;
        asm volatile("cltd\n\tidivl %2" : "+a"(one), "=&d"(high) : "r"(zero));
        g_sink = one;
    }
    if (!std::strcmp(g_mode, "deep")) g_sink = recurse(0);
    if (!std::strcmp(g_mode, "heap")) {
        rlimit lim{size_t{64} << 20, size_t{64} << 20};
        // Only the data segment is capped: the arena is a reservation, not data.
        setrlimit(RLIMIT_DATA, &lim);
        for (;;)
            heap_alloc(size_t{16} << 20);
    }
    if (!std::strncmp(g_mode, "row", 3)) { // row64, row66: a list of the wrong length
        ActionList row(T_TRIPLE, 0, "triple!");
        datatype_register(static_cast<uint32_t>(std::atoi(g_mode + 3)), row.words);
    }
    if (!std::strcmp(g_mode, "caught")) {
        uint32_t code = catch_at(kCatchErrors, [] { throw_code(kThrowBreak); });
        if (code != kThrowBreak) throw_code(1);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_mode = argv[1];
    if (argc > 2) g_code = argv[2];
    if (argc > 3) g_limit_mb = argv[3];
    xel::run_program(argc, argv, body);
}
