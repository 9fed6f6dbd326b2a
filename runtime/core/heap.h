// The low-level run-time's heap: malloc behind a header that links every
// block into one list, so all of them can be freed together at exit.
#pragma once
#include <cstddef>

namespace xel {

struct HeapBlock {
    HeapBlock* next;
    HeapBlock* prev;
    size_t size;
    size_t reserved; // keeps the block 16-byte aligned
};
static_assert(sizeof(HeapBlock) == 32);

// Failure ends the process with run-time error 94 ("out of memory").
void* heap_alloc(size_t size);
void* heap_realloc(void* block, size_t size);
void heap_free(void* block);
void heap_free_all();
// The heap's figure in memory statistics: each block's size plus 16.
double heap_bytes();

} // namespace xel
