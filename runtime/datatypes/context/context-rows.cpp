// The rows of symbol! and context!, internal types that scripts never see
// as values.
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/symbols/symbols.h"

namespace xel {

int symbol_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_SYMBOL) return -2;
    auto compare = action_of<A_COMPARE>(T_STRING);
    if (!compare) return -2;
    // Making the first string may move the symbols block: go through ids.
    uint32_t id1 = symbol_id_of(value1);
    uint32_t id2 = symbol_id_of(value2);
    Cell a = *value1;
    Cell b = *value2;
    Offset n1 = symbol_string_node(id1 ? symbol_cell(id1) : &a);
    Offset n2 = symbol_string_node(id2 ? symbol_cell(id2) : &b);
    Cell s1{T_STRING, 0, n1, 0};
    Cell s2{T_STRING, 0, n2, 0};
    return compare(&s1, &s2, op);
}

void symbol_row(ActionList& row) {
    row.set<A_COMPARE>(symbol_compare);
}

// context! values are never seen by scripts: the type has no actions.
void context_row(ActionList&) {}

// Word 2 caches the spelling as a string! buffer once asked for.
void symbol_mark_cell(Cell* c) {
    collector_mark_series(&c->data3);
    collector_mark_series(&c->data2);
}

void context_mark_cell(Cell* c) {
    hash_mark(&c->data1);
    if (!(c->header & kContextStackValues)) collector_mark_block_node(&c->data2);
}

} // namespace xel
