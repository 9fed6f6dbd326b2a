#include "runtime/core/heap.h"

#include <cstdint>
#include <cstdlib>

#include "runtime/core/fatal.h"
#include "runtime/core/runtime-record.h"

namespace xel {

namespace {

HeapBlock* header_of(void* block) {
    return static_cast<HeapBlock*>(block) - 1;
}

void link(HeapBlock* h) {
    h->next = nullptr;
    h->prev = g_runtime.heap_last;
    if (g_runtime.heap_last)
        g_runtime.heap_last->next = h;
    else
        g_runtime.heap_first = h;
    g_runtime.heap_last = h;
}

void unlink(HeapBlock* h) {
    if (h->prev)
        h->prev->next = h->next;
    else
        g_runtime.heap_first = h->next;
    if (h->next)
        h->next->prev = h->prev;
    else
        g_runtime.heap_last = h->prev;
}

[[noreturn]] __attribute__((noinline)) void out_of_memory() {
    runtime_error(kErrOutOfMemory,
                  static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_return_address(0))));
}

} // namespace

void* heap_alloc(size_t size) {
    if (size > SIZE_MAX - sizeof(HeapBlock)) out_of_memory();
    auto* h = static_cast<HeapBlock*>(std::malloc(size + sizeof(HeapBlock)));
    if (!h) out_of_memory();
    h->size = size;
    link(h);
    return h + 1;
}

void* heap_realloc(void* block, size_t size) {
    if (!block) return heap_alloc(size);
    if (size > SIZE_MAX - sizeof(HeapBlock)) out_of_memory();
    HeapBlock* old = header_of(block);
    unlink(old);
    auto* h = static_cast<HeapBlock*>(std::realloc(old, size + sizeof(HeapBlock)));
    if (!h) {
        link(old);
        out_of_memory();
    }
    h->size = size;
    link(h);
    return h + 1;
}

void heap_free(void* block) {
    if (!block) return;
    HeapBlock* h = header_of(block);
    unlink(h);
    std::free(h);
}

double heap_bytes() {
    double total = 0;
    for (HeapBlock* h = g_runtime.heap_first; h; h = h->next)
        total += static_cast<double>(h->size) + 16;
    return total;
}

void heap_free_all() {
    HeapBlock* h = g_runtime.heap_first;
    g_runtime.heap_first = g_runtime.heap_last = nullptr;
    while (h) {
        HeapBlock* next = h->next;
        std::free(h);
        h = next;
    }
}

} // namespace xel
