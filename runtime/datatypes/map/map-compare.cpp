// compare of map!: equal when every live entry of one has an equal entry in
// the other; the sorting orders compare the blocks' identities.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/element-actions.h"
#include "runtime/datatypes/map/map-cell.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/printing/cycles.h"

namespace xel {

namespace {

// Whether the second map holds an entry matching key with a value equal to
// value: under strict equality its case-sensitive entry, otherwise any
// entry whose key matches with case folded and word types folded.
bool has_entry(const Cell* map, Cell* key, Cell* value, bool strict) {
    if (strict) {
        Cell* found = map_lookup(map, key, kMapCase);
        if (!found) return false;
        Cell other = *found;
        return element_equal(&other, value, kCmpStrictEqual);
    }
    HashCursor cursor;
    while (Cell* candidate = hash_find_next(map->data3, key, &cursor)) {
        Cell other = candidate[1];
        if (other.header != 0 && element_equal(&other, value, kCmpEqual)) return true;
    }
    return false;
}

int order(uint32_t a, uint32_t b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

int map_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_MAP) return -2;
    Cell a = *value1;
    Cell b = *value2;
    if (op == kCmpSort || op == kCmpCaseSort) return order(a.data2, b.data2);
    if (op > kCmpStrictEqual && op != kCmpSame && op != kCmpFind) return -2;
    bool same = a.data2 == b.data2 && a.data1 == b.data1;
    if (op == kCmpSame || same) return same ? 0 : 1;
    if (cycles_find(a.data2)) return cycles_find(b.data2) ? 0 : 1;
    uint32_t count = map_count(&a);
    if (count != map_count(&b)) return 1;
    if (count == 0) return 0;
    cycles_push(a.data2);
    cycles_push(b.data2);
    bool equal = true;
    for (uint32_t i = 0; equal && i + 1 < map_cell_count(&a); i += 2) {
        Cell key = map_cell_at(&a, i);
        Cell value = map_cell_at(&a, i + 1);
        if (value.header == 0) continue;
        equal = has_entry(&b, &key, &value, op == kCmpStrictEqual);
    }
    cycles_pop_n(2);
    return equal ? 0 : 1;
}

} // namespace xel
