// Blocks of committed memory inside the arena, the run-time's stand-in for
// the OS's virtual allocation. Failure is a low-level throw: 0x7FFFFFF7 when
// a block cannot be had, 0x7FFFFFF6 when it cannot be released.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/memory/arena.h"

namespace xel {

constexpr uint32_t kPageSize = 4096;

// Reserves the arena (idempotent). Ends the process with run-time error 94
// when the address space cannot be had.
void arena_init();

// Commits a block of size bytes (a multiple of the page size) and returns its
// offset. The executable flag is accepted and ignored: nothing runs from the arena.
Offset os_virtual_alloc(uint32_t size, bool executable);
void os_virtual_free(Offset block);
// Releases every block: a run-time started afresh in the same process
// (tests do) begins with an empty arena rather than keeping the last one's
// memory committed.
void os_virtual_free_all();

// Caps the bytes the arena may commit (0: the whole arena); lets tests and
// tools exercise exhaustion without exhausting the machine.
void os_set_commit_limit(uint64_t bytes);
uint64_t os_committed_bytes();

} // namespace xel
