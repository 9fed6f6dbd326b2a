#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/rows.h"

namespace xel {

void block_row(ActionList& row) {
    row.inherit_all()
        .set<A_MAKE>(block_make)
        .set<A_TO>(block_to)
        .set<A_FORM>(block_form)
        .set<A_MOLD>(block_mold)
        .set<A_EVAL_PATH>(block_eval_path)
        .set<A_COMPARE>(block_compare)
        .set<A_APPEND>(block_append)
        .set<A_CHANGE>(block_change)
        .set<A_COPY>(block_copy)
        .set<A_FIND>(block_find)
        .set<A_INSERT>(block_insert)
        .set<A_PUT>(block_put)
        .set<A_SELECT>(block_select)
        .set<A_SORT>(block_sort)
        .set<A_SWAP>(block_swap)
        .set<A_TAKE>(block_take)
        .set<A_TRIM>(block_trim);
}

void paren_row(ActionList& row) {
    row.inherit_all().set<A_MOLD>(paren_mold).set<A_TRIM>(nullptr);
}

void block_mark_cell(Cell* c) {
    collector_mark_block_node(&c->data2);
}

} // namespace xel
