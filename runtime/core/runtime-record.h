// The process-wide record of the low-level run-time.
#pragma once
#include <cstdint>

namespace xel {

struct HeapBlock;

// Where a fatal error happened: stack and frame pointer at the fault.
struct ErrorLocation {
    uintptr_t stack_pointer;
    uintptr_t frame_pointer;
};

struct RuntimeRecord {
    int argc;
    char** argv; // UTF-8, null-terminated
    uint32_t reserved;
    uint32_t pending_throw;
    const uint8_t* boot_data;
    ErrorLocation* error_location;
    const void* stack_maps;
    HeapBlock* heap_first;
    HeapBlock* heap_last;
    uintptr_t stack_base; // machine-stack top at start, for the collector's scan
};

extern RuntimeRecord g_runtime;

} // namespace xel
