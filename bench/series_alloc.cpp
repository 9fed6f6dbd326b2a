// Times allocation and expansion of a million small series: the common path
// is a bump of the current frame's free pointer and a pop of a free node.
#include <chrono>
#include <cstdio>

#include "runtime/memory/series-memory-internal.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

int main() {
    constexpr int kCount = 1000000;
    memory_init();
    new_node_frame(kNodeFrameCapacity);
    new_series_frame();

    static Offset nodes[kCount];
    auto t0 = Clock::now();
    for (int i = 0; i < kCount; i++)
        nodes[i] = alloc_cells(1 + (i & 3));
    auto t1 = Clock::now();
    for (int i = 0; i < kCount; i++)
        expand_series_copy(buffer_of(nodes[i]), 0);
    auto t2 = Clock::now();

    uint64_t check = 0;
    for (int i = 0; i < kCount; i += 997)
        check += buffer_of(nodes[i])->size;
    auto ns = [](auto a, auto b) {
        return std::chrono::duration<double, std::nano>(b - a).count() / kCount;
    };
    std::printf("alloc:  %.1f ns per series (1 to 4 cells)\n", ns(t0, t1));
    std::printf("expand: %.1f ns per doubling with copy\n", ns(t1, t2));
    std::printf("arena:  %u bytes taken from the OS (check %llu)\n", g_memory.os_bytes,
                static_cast<unsigned long long>(check));
}
