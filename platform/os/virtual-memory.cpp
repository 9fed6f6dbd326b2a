#include "platform/os/virtual-memory.h"

#include <map>
#include <sys/mman.h>

#include "runtime/core/fatal.h"
#include "runtime/core/throw.h"

namespace xel {

uint8_t* g_arena = nullptr;

namespace {

constexpr uint64_t kArenaSize = uint64_t{1} << 32;

// Blocks are handed out from here upwards first, below it only when the upper
// half is taken. Arena offsets then lie where the integers of a program
// seldom do (above every positive 32-bit integer, below the small negative
// ones), so a number on the machine stack is rarely taken for a reference by
// the collector's conservative scan. The two halves never merge.
constexpr Offset kPreferredBase = 0x80010000;

// Address space not in use, offset -> size; taken first-fit.
std::map<Offset, uint32_t> g_free;
std::map<Offset, uint32_t> g_blocks;
uint64_t g_committed = 0;
uint64_t g_limit = 0;

Offset first_fit(std::map<Offset, uint32_t>::iterator it, std::map<Offset, uint32_t>::iterator end,
                 uint32_t size) {
    for (; it != end; ++it) {
        if (it->second < size) continue;
        Offset o = it->first;
        uint32_t rest = it->second - size;
        g_free.erase(it);
        if (rest) g_free.emplace(o + size, rest);
        return o;
    }
    return 0;
}

Offset take_range(uint32_t size) {
    auto upper = g_free.lower_bound(kPreferredBase);
    if (Offset o = first_fit(upper, g_free.end(), size)) return o;
    return first_fit(g_free.begin(), g_free.lower_bound(kPreferredBase), size);
}

void give_range(Offset o, uint32_t size) {
    auto next = g_free.lower_bound(o);
    if (next != g_free.end() && next->first == o + size && next->first != kPreferredBase) {
        size += next->second;
        next = g_free.erase(next);
    }
    if (next != g_free.begin() && o != kPreferredBase) {
        auto prev = std::prev(next);
        if (prev->first + prev->second == o) {
            prev->second += size;
            return;
        }
    }
    g_free.emplace(o, size);
}

} // namespace

void arena_init() {
    if (g_arena) return;
    // Reserve twice the size and keep the 4 GiB-aligned half.
    void* p = mmap(nullptr, 2 * kArenaSize, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                   -1, 0);
    if (p == MAP_FAILED) runtime_error(kErrOutOfMemory, 0);
    auto raw = reinterpret_cast<uintptr_t>(p);
    uintptr_t base = (raw + kArenaSize - 1) & ~(kArenaSize - 1);
    if (base > raw) munmap(p, base - raw);
    uintptr_t end = raw + 2 * kArenaSize;
    if (end > base + kArenaSize)
        munmap(reinterpret_cast<void*>(base + kArenaSize), end - base - kArenaSize);
    g_arena = reinterpret_cast<uint8_t*>(base);
    // The first page stays unmapped: offset 0 is null.
    g_free.emplace(kPageSize, kPreferredBase - kPageSize);
    g_free.emplace(kPreferredBase, static_cast<uint32_t>(kArenaSize - kPreferredBase));
}

Offset os_virtual_alloc(uint32_t size, bool) {
    if (size == 0 || (g_limit && g_committed + size > g_limit)) throw_code(kThrowVmNotObtained);
    Offset o = take_range(size);
    if (!o) throw_code(kThrowVmNotObtained);
    if (mprotect(g_arena + o, size, PROT_READ | PROT_WRITE) != 0) {
        give_range(o, size);
        throw_code(kThrowVmNotObtained);
    }
    g_blocks.emplace(o, size);
    g_committed += size;
    return o;
}

void os_virtual_free(Offset block) {
    auto it = g_blocks.find(block);
    if (it == g_blocks.end()) throw_code(kThrowVmNotReleased);
    uint32_t size = it->second;
    // Replacing the pages drops their contents and their commitment at once.
    if (mmap(g_arena + block, size, PROT_NONE,
             MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED, -1, 0) == MAP_FAILED)
        throw_code(kThrowVmNotReleased);
    g_blocks.erase(it);
    g_committed -= size;
    give_range(block, size);
}

void os_virtual_free_all() {
    while (!g_blocks.empty())
        os_virtual_free(g_blocks.begin()->first);
}

void os_set_commit_limit(uint64_t bytes) {
    g_limit = bytes;
}
uint64_t os_committed_bytes() {
    return g_committed;
}

} // namespace xel
