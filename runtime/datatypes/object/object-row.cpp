#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/rows.h"

namespace xel {

void object_row(ActionList& row) {
    row.set<A_MAKE>(object_make)
        .set<A_REFLECT>(object_reflect)
        .set<A_FORM>(object_form)
        .set<A_MOLD>(object_mold)
        .set<A_EVAL_PATH>(object_eval_path)
        .set<A_COMPARE>(object_compare)
        .set<A_COPY>(object_copy)
        .set<A_PUT>(object_put)
        .set<A_SELECT>(object_select)
        .set<A_MODIFY>(object_modify);
}

namespace {

// The event record: two pair! cells whose word 3 names the spec block its
// handlers' local counts were taken from. A stale object cell may name a node
// reused by some other series: only a record of that shape is read.
Cell* event_record_cells(Offset record) {
    uint32_t count = 0;
    Cell* cells = collector_record_cells(record, &count);
    if (!cells || count != 2 || type_of(&cells[0]) != T_PAIR || type_of(&cells[1]) != T_PAIR)
        return nullptr;
    return cells;
}

void mark_event_record(Offset* record) {
    if (!collector_follow_record(record, [](Offset r) { return event_record_cells(r) != nullptr; }))
        return;
    Cell* cells = event_record_cells(*record);
    for (Cell* c = cells; c < cells + 2; c++)
        if (c->data3) collector_mark_block_node(&c->data3);
}

} // namespace

void object_mark_cell(Cell* c) {
    collector_mark_context(&c->data1);
    mark_event_record(&c->data3);
}

} // namespace xel
