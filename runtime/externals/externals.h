// The externals table: operating-system resources (bitmaps, fonts, objects of
// a library) that values own. A value holds the index of a slot; the slot
// records the resource's kind and handle. Kinds are registered with a name
// and a release callback. After the collector's marking, every used slot that
// no live value marked is released through its kind's callback and freed.
//
// To register a resource kind (image!, fonts, windows):
//   static uint32_t kind = externals_register_kind("image", release_image);
//   int32_t slot = externals_store(reinterpret_cast<uintptr_t>(bitmap), kind);
// keep slot in the value, and mark it while the value is alive: from the
// collector's marking of the value's cells, externals_mark(slot, 0). A slot
// no value marked in a collection is released once, then reused.
#pragma once
#include <cstdint>

namespace xel {

using ExternalRelease = void (*)(uintptr_t handle);

constexpr uint32_t kExternalKinds = 20;

// Allocates both tables: kinds, and 1,000 slots threaded into the free list.
void externals_init();

// Appends a kind and answers its id (1-based). A 21st kind is a fault of the
// program (fatal "assertion failed").
uint32_t externals_register_kind(const char* name, ExternalRelease release);

// Takes a free slot (the table doubles when the free list is down to its
// last slot) for a handle of a kind; answers the slot index.
int32_t externals_store(uintptr_t handle, uint32_t kind);
// The handle of a used slot, or 0.
uintptr_t externals_handle(int32_t index);
// Stores a new handle; a different old one is released through its kind.
void externals_replace_handle(int32_t index, uintptr_t handle);
// Frees a used slot, releasing its handle first when release is set;
// answers -1 (for the value's index field). Anything else is ignored.
int32_t externals_remove(int32_t index, bool release);
// Marks a used slot as alive for this collection (a handle other than 0
// replaces the stored one without a release); true when it was not marked yet.
bool externals_mark(int32_t index, uintptr_t handle);
// Calls back with the handle of every used slot of the kind, newest first.
void externals_each_of_kind(uint32_t kind, void (*callback)(uintptr_t handle));
// After marking: unmarked used slots are released and freed; marks cleared.
void externals_sweep();

// The number of used slots (tests).
uint32_t externals_used_count();

} // namespace xel
