#include "runtime/text/casefold.h"

#include <cstring>

#include "runtime/core/heap.h"
#include "runtime/text/casefold-data.h"

namespace xel {

namespace {

constexpr uint32_t kTableEntries = 0x10000;

// Entry 0: the code point maps to itself.
int32_t* g_upper_table = nullptr;
int32_t* g_lower_table = nullptr;

int32_t* fill_table(int32_t* table, const CasePairList& list) {
    if (table) heap_free(table);
    table = static_cast<int32_t*>(heap_alloc(kTableEntries * sizeof(int32_t)));
    std::memset(table, 0, kTableEntries * sizeof(int32_t));
    for (uint32_t i = 0; i < list.count; i++)
        table[list.pairs[i].from] = list.pairs[i].to;
    return table;
}

int32_t convert_supplementary(int32_t cp, const CasePairList& list) {
    if (cp < list.pairs[0].from || cp > list.pairs[list.count - 1].from) return cp;
    for (uint32_t i = 0; i < list.count; i++) {
        if (list.pairs[i].from > cp) break;
        if (list.pairs[i].from == cp) return list.pairs[i].to;
    }
    return cp;
}

} // namespace

void casefold_init() {
    g_upper_table = fill_table(g_upper_table, kUpperList);
    g_lower_table = fill_table(g_lower_table, kLowerList);
}

int32_t casefold_convert_char(int32_t cp, int direction) {
    if (cp < static_cast<int32_t>(kTableEntries)) {
        int32_t mapped = (direction == kFoldUpper ? g_upper_table : g_lower_table)[cp];
        return mapped ? mapped : cp;
    }
    return convert_supplementary(cp, direction == kFoldUpper ? kUpperListSupplementary
                                                             : kLowerListSupplementary);
}

} // namespace xel
