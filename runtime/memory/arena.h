// The 32-bit arena: every series, node and frame lives in one 4 GiB region
// whose base is aligned to 4 GiB, so an arena address is a 32-bit offset and
// the low half of a pointer into the arena is that offset. Offset 0 is null.
#pragma once
#include <cstdint>

namespace xel {

using Offset = uint32_t;

extern uint8_t* g_arena;

template <class T = uint8_t> inline T* at(Offset o) {
    return reinterpret_cast<T*>(g_arena + o);
}

inline Offset offset_of(const void* p) {
    return static_cast<Offset>(reinterpret_cast<uintptr_t>(p));
}

inline bool in_arena(const void* p) {
    return static_cast<uintptr_t>(reinterpret_cast<const uint8_t*>(p) - g_arena) <
           (uint64_t{1} << 32);
}

} // namespace xel
