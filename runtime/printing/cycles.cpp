#include "runtime/printing/cycles.h"

#include <cstring>

#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

Offset g_cycles[kCycleStackEntries];
Offset* const g_cycles_base = g_cycles;
Offset* const g_cycles_limit = g_cycles + kCycleStackEntries;
Offset* g_cycles_cursor = g_cycles;

} // namespace

void cycles_init() {
    g_cycles_cursor = g_cycles_base;
}

void cycles_push(Offset node) {
    *g_cycles_cursor++ = node;
    if (g_cycles_cursor >= g_cycles_limit) {
        cycles_reset();
        error_fire(kCatInternal, err::internal::kTooDeep);
    }
}

void cycles_pop() {
    if (g_cycles_cursor > g_cycles_base) g_cycles_cursor--;
}

void cycles_pop_n(uint32_t n) {
    g_cycles_cursor = static_cast<uint32_t>(g_cycles_cursor - g_cycles_base) < n
                          ? g_cycles_base
                          : g_cycles_cursor - n;
}

void cycles_reset() {
    g_cycles_cursor = g_cycles_base;
}

bool cycles_find(Offset node) {
    for (const Offset* p = g_cycles_base; p < g_cycles_cursor; p++)
        if (*p == node) return true;
    return false;
}

uint32_t cycles_depth() {
    return static_cast<uint32_t>(g_cycles_cursor - g_cycles_base);
}

void cycles_relocate(const PtrMap* map) {
    for (Offset* p = g_cycles_base; p < g_cycles_cursor; p++)
        if (Offset moved = ptrmap_get(map, *p)) *p = moved;
}

Offset cycles_node_of(const Cell* value) {
    switch (type_of(value)) {
    case T_OBJECT:
    case T_ERROR:
    case T_PORT:
        return object_context(value);
    default:
        return series_node(value);
    }
}

namespace {

const char* placeholder(uint8_t type, bool mold) {
    if (!mold) return "...";
    switch (type) {
    case T_BLOCK:
    case T_HASH:
        return "[...]";
    case T_PAREN:
        return "(...)";
    case T_MAP:
        return "#[...]";
    case T_OBJECT:
        return "make object! [...]";
    default:
        return "...";
    }
}

} // namespace

bool cycles_detect(const Cell* value, Cell* buffer, int* part, bool mold) {
    if (!cycles_find(cycles_node_of(value))) return false;
    const char* text = placeholder(type_of(value), mold);
    string_concatenate_literal(buffer, text);
    *part -= static_cast<int>(std::strlen(text));
    return true;
}

} // namespace xel
