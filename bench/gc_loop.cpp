// Memory of a long-running loop that builds and drops blocks and strings, a
// million iterations: with the collector on it stays bounded; the same loop
// with collection off is the comparison. Reports the peak of the bytes taken
// from the system (sampled before every collection and at the end), the
// collections run, the time, and the peak resident set of the process.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
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

constexpr const char* kLoop = R"(loop 1000000 [
    b: reduce [1 2 3 "text"]
    s: copy "abcdefghijklmnop"
    append s "qrstuvwxyz"
    b: copy [a b c d e f g h]
    append b s
])";

uint32_t g_peak = 0;

void sample_then_collect() {
    if (g_memory.os_bytes > g_peak) g_peak = g_memory.os_bytes;
    collector_collect();
}

// Peak resident set so far, in kB (VmHWM).
long peak_rss_kb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

void run(bool collect) {
    runtime_init();
    g_boot_recording = false;
    boot_run_top_level();
    g_collect = sample_then_collect;
    g_collector_enabled = collect;
    g_peak = 0;
    uint32_t collections = g_collection_count;

    Cell* source = string_load(reinterpret_cast<const uint8_t*>(kLoop),
                               static_cast<uint32_t>(std::strlen(kLoop)), 0);
    Cell text = *source;
    Cell code;
    lexer_load_string(&code, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
    stack_reset();
    auto start = Clock::now();
    if (interp_eval_block(&code, true).exit_pending()) exit_take();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (g_memory.os_bytes > g_peak) g_peak = g_memory.os_bytes;

    std::printf("collector %-3s  peak from the system %10u bytes  collections %6u  %6.2f s  "
                "peak RSS %ld kB\n",
                collect ? "on" : "off", g_peak, g_collection_count - collections, seconds,
                peak_rss_kb());
}

void body() {
    // The collection on first: the resident peak read after it is its own.
    run(true);
    run(false);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    run_program(argc, argv, body);
}
