// The natives table: 120 slots of native routines (natives.h's NativeFn);
// native! values hold a 1-based entry number into it. Entries 1 to 107 are
// the language's natives in their fixed index order; a native whose code is
// not built yet leaves its slot empty (nullptr), and 108 to 120 stay empty.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/natives/native-call.h"

namespace xel {

constexpr int kNativesCapacity = 120;
constexpr int kNativeCount = 107;

extern NativeFn* g_natives_table;
// The next entry natives_register fills, 1-based.
extern uint32_t g_natives_fill;
// The block print and prin reduce into (kept in the root block).
extern Cell g_print_buffer;

// Allocates the table, makes the print buffer, registers the 107 natives.
void natives_init();
// Stores count routines from entry g_natives_fill on.
void natives_register(uint32_t count, const NativeFn* list);

// either's fixed index.
constexpr uint32_t kNativeEither = 3;
// The comparison natives' fixed indexes, equal? to greater-or-equal?.
constexpr uint32_t kNativeEqual = 25;
constexpr uint32_t kNativeGreaterOrEqual = 31;

// The word of a native index (1-107), or nullptr outside that range.
const char* native_name(int index);
// The routine of entry index (1-based), or nullptr when the slot is empty.
inline NativeFn native_code(uint32_t index) {
    return index >= 1 && index <= static_cast<uint32_t>(kNativesCapacity)
               ? g_natives_table[index - 1]
               : nullptr;
}

} // namespace xel
