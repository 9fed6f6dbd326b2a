// The low-level run-time's heap: malloc behind a 16-byte header that links
// every block into one list, so all of them can be freed together at exit.
#pragma once
#include <cstddef>

namespace xel {

struct HeapBlock {
    HeapBlock* next;
    HeapBlock* prev;
};
static_assert(sizeof(HeapBlock) == 16);

// Failure ends the process with run-time error 94 ("out of memory").
void* heap_alloc(size_t size);
void* heap_realloc(void* block, size_t size);
void heap_free(void* block);
void heap_free_all();

} // namespace xel
