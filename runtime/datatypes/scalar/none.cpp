// none!: the empty value. The series actions that only read or take from a
// series answer none on it, so code can treat a missing series like an empty one.
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/scalar/scalar-text.h"

namespace xel {

namespace {

Cell* none_make(Cell*, Cell*, int) {
    return none_box();
}

int none_form(Cell*, Cell* buffer, Cell*, int part) {
    return scalar_append(buffer, "none", part);
}

int none_mold(Cell*, Cell* buffer, bool, bool all, bool, Cell*, int part, int) {
    return scalar_mold(buffer, "none", all, part);
}

int none_compare(Cell*, Cell* value2, int op) {
    return scalar_compare_same(value2, T_NONE, op);
}

Cell* none_clear(Cell*) {
    return none_box();
}

Cell* none_find(Cell*, Cell*, const FindOptions&) {
    return none_box();
}

Cell* none_remove(Cell*, Cell*, Cell*) {
    return none_box();
}

Cell* none_take(Cell*, Cell*, bool, bool) {
    return none_box();
}

// -1: the length? front-end answers none.
int none_length(Cell*) {
    return -1;
}

} // namespace

void none_row(ActionList& row) {
    set_none(&g_none_cell);
    row.set<A_MAKE>(none_make)
        .set<A_TO>(none_make)
        .set<A_FORM>(none_form)
        .set<A_MOLD>(none_mold)
        .set<A_COMPARE>(none_compare)
        .set<A_CLEAR>(none_clear)
        .set<A_FIND>(none_find)
        .set<A_LENGTH_Q>(none_length)
        .set<A_REMOVE>(none_remove)
        .set<A_SELECT>(none_find)
        .set<A_TAKE>(none_take);
}

} // namespace xel
