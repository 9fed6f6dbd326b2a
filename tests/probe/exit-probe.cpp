// A small program that runs the real entry sequence and then misbehaves in
// the way its argument names, so tests can watch the exit paths from outside.
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

#include "boot/entry.h"
#include "boot/heap.h"
#include "boot/runtime-record.h"
#include "boot/throw.h"
#include "runtime/datatypes/registry.h"
#include "runtime/error-fire.h"
#include "runtime/memory/series-memory.h"

namespace {

const char* g_mode = "";

volatile int g_sink = 0;

volatile int g_limit = 1 << 30;

__attribute__((noinline)) int recurse(int n) {
    volatile char pad[512];
    pad[0] = static_cast<char>(n);
    if (n > g_limit) return 0;
    return recurse(n + 1) + pad[0];
}

void body() {
    using namespace xel;
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
    xel::run_program(argc, argv, body);
}
