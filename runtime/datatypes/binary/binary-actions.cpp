// The binary! row.
#include "runtime/datatypes/binary/binary.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"

namespace xel {

namespace {

Cell* convert(Cell* spec, int type) {
    return binary_to(nullptr, spec, type);
}

} // namespace

void binary_row(ActionList& row) {
    // make binary! of anything but a number comes back here through string!.
    g_binary_conversion = convert;
    for (int slot :
         {A_MAKE,    A_RANDOM, A_REFLECT, A_EVAL_PATH, A_AT,   A_BACK, A_CLEAR,  A_COPY, A_FIND,
          A_HEAD,    A_HEAD_Q, A_INDEX_Q, A_LENGTH_Q,  A_MOVE, A_NEXT, A_PICK,   A_POKE, A_REMOVE,
          A_REVERSE, A_SELECT, A_SORT,    A_SKIP,      A_SWAP, A_TAIL, A_TAIL_Q, A_TAKE, A_MODIFY})
        row.inherit(slot);
    row.set<A_TO>(binary_to)
        .set<A_FORM>(binary_form)
        .set<A_MOLD>(binary_mold)
        .set<A_COMPARE>(binary_compare)
        .set<A_AND_T>([] { binary_do_bitwise(kMathAnd); })
        .set<A_COMPLEMENT>(binary_complement)
        .set<A_OR_T>([] { binary_do_bitwise(kMathOr); })
        .set<A_XOR_T>([] { binary_do_bitwise(kMathXor); })
        .set<A_APPEND>(binary_append)
        .set<A_CHANGE>(binary_change)
        .set<A_INSERT>(binary_insert)
        .set<A_TRIM>(binary_trim);
}

void binary_mark_cell(Cell* c) {
    collector_mark_series(&c->data2);
}

} // namespace xel
