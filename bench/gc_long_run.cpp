// Peak memory of long-running loops that drop what they make, at 1, 3 and 10
// million iterations. Each program runs in a child process of its own, so the
// peak resident set (as /usr/bin/time reports it) is that program's alone;
// the child also reports the peak of the bytes the memory record took from
// the system (sampled before every collection) and the collections run.
// `gc_long_run 1` runs the first size only.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "boot/boot-load.h"
#include "boot/entry.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector.h"
#include "runtime/memory/series-memory-internal.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

// N is the iteration count; T a third of it, H a thirtieth.
constexpr const char* kPrograms[] = {
    "loop N [b: make block! 100]",
    "i: 0 while [i < N] [i: i + 1 b: make block! 100]",
    "loop 3 [loop T [b: make block! 100]]",
    "repeat i N [b: make block! 100]",
    "loop N [b: make block! 100 s: make string! 200 append s {abcdefghij} append b s]",
    "loop 30 [loop H [b: make block! 100] recycle]",
};

std::string g_code;
uint32_t g_peak = 0;

void sample_then_collect() {
    if (g_memory.os_bytes > g_peak) g_peak = g_memory.os_bytes;
    collector_collect();
}

void child_body() {
    runtime_init();
    g_boot_recording = false;
    boot_run_top_level();
    g_collect = sample_then_collect;
    g_collector_enabled = true;
    uint32_t collections = g_collection_count;
    Cell* source = string_load(reinterpret_cast<const uint8_t*>(g_code.data()),
                               static_cast<uint32_t>(g_code.size()), 0);
    Cell text = *source;
    Cell code;
    lexer_load_string(&code, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
    stack_reset();
    if (interp_eval_block(&code, true).exit_pending()) exit_take();
    if (g_memory.os_bytes > g_peak) g_peak = g_memory.os_bytes;
    std::printf("  arena peak %6.1f MB  collections %7u", g_peak / 1048576.0,
                g_collection_count - collections);
    std::fflush(stdout);
}

std::string with_counts(std::string program, long n) {
    auto put = [&](char mark, long value) {
        for (size_t at = program.find(mark); at != std::string::npos; at = program.find(mark))
            program.replace(at, 1, std::to_string(value));
    };
    put('N', n);
    put('T', n / 3);
    put('H', n / 30);
    return program;
}

void run(const std::string& code, int argc, char** argv) {
    std::printf("%-92s", code.c_str());
    std::fflush(stdout);
    auto start = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        g_code = code;
        run_program(argc, argv, child_body);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("  peak RSS %7.1f MB  %6.2f s%s\n", usage.ru_maxrss / 1024.0, seconds,
                WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "  (failed)");
}

} // namespace

int main(int argc, char** argv) {
    int sizes = argc > 1 ? std::atoi(argv[1]) : 3;
    const long counts[] = {1000000, 3000000, 10000000};
    for (int s = 0; s < sizes && s < 3; s++)
        for (const char* program : kPrograms)
            run(with_counts(program, counts[s]), 1, argv);
}
