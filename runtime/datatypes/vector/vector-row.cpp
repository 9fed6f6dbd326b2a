// The action row of vector!, and its hand-over for number op vector math.
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/vector/vector.h"

namespace xel {

namespace {

void vector_add() {
    vector_do_math(kMathAdd);
}
void vector_subtract() {
    vector_do_math(kMathSubtract);
}
void vector_multiply() {
    vector_do_math(kMathMultiply);
}
void vector_divide() {
    vector_do_math(kMathDivide);
}
void vector_remainder() {
    vector_do_math(kMathRemainder);
}
void vector_or() {
    vector_do_math(kMathOr);
}
void vector_and() {
    vector_do_math(kMathAnd);
}
void vector_xor() {
    vector_do_math(kMathXor);
}

} // namespace

void vector_row(ActionList& row) {
    g_number_handovers.math[T_VECTOR] = vector_do_math_scalar;
    row.inherit_all()
        .set<A_MAKE>(vector_make)
        .set<A_TO>(nullptr)
        .set<A_FORM>(vector_form)
        .set<A_MOLD>(vector_mold)
        .set<A_EVAL_PATH>(vector_eval_path)
        .set<A_COMPARE>(vector_compare)
        .set<A_ADD>(vector_add)
        .set<A_DIVIDE>(vector_divide)
        .set<A_MULTIPLY>(vector_multiply)
        .set<A_REMAINDER>(vector_remainder)
        .set<A_SUBTRACT>(vector_subtract)
        .set<A_AND_T>(vector_and)
        .set<A_OR_T>(vector_or)
        .set<A_XOR_T>(vector_xor)
        .set<A_APPEND>(vector_append)
        .set<A_INSERT>(vector_insert)
        .set<A_CHANGE>(vector_change)
        .set<A_FIND>(vector_find)
        .set<A_SELECT>(vector_select)
        .set<A_SORT>(vector_sort)
        .set<A_TAKE>(vector_take)
        .set<A_SWAP>(nullptr)
        .set<A_TRIM>(nullptr);
}

void vector_mark_cell(Cell* c) {
    collector_mark_series(&c->data2);
}

} // namespace xel
