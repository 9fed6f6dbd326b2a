// unset!: the value of nothing. Forms as nothing, molds as "unset".
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/scalar/scalar-text.h"

namespace xel {

namespace {

Cell* unset_make(Cell*, Cell*, int) {
    return unset_box();
}

int unset_form(Cell*, Cell*, Cell*, int part) {
    return part;
}

int unset_mold(Cell*, Cell* buffer, bool, bool all, bool, Cell*, int part, int) {
    return scalar_mold(buffer, "unset", all, part);
}

int unset_compare(Cell*, Cell* value2, int op) {
    return scalar_compare_same(value2, T_UNSET, op);
}

} // namespace

void unset_row(ActionList& row) {
    set_unset(&g_unset_cell);
    row.set<A_MAKE>(unset_make)
        .set<A_TO>(unset_make)
        .set<A_FORM>(unset_form)
        .set<A_MOLD>(unset_mold)
        .set<A_COMPARE>(unset_compare);
}

} // namespace xel
