// logic!: word 1 is 1 for true, 0 for false; any other word reads as false.
#include "runtime/datatypes/scalar/logic.h"

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic-ops.h"
#include "runtime/datatypes/scalar/scalar-text.h"
#include "services/random/random.h"

namespace xel {

namespace {

// A logic! stays as it is; none! is false; every other value is true.
Cell* logic_to(Cell*, Cell* spec, int) {
    if (type_of(spec) == T_LOGIC) return stack_set_last(spec);
    return logic_box(type_of(spec) != T_NONE);
}

// Numbers are true when not zero (a NaN is not zero); the rest as to.
Cell* logic_make(Cell* proto, Cell* spec, int type) {
    switch (type_of(spec)) {
    case T_INTEGER:
        return logic_box(spec->data2 != 0);
    case T_FLOAT:
    case T_PERCENT:
        return logic_box(cell_double(spec) != 0.0);
    default:
        return logic_to(proto, spec, type);
    }
}

// /seed seeds the generator with the truth word; otherwise an even draw.
Cell* logic_random(Cell* value, bool seed, bool secure, bool) {
    if (seed) {
        random_seed(value->data1);
        return unset_box();
    }
    uint32_t draw = secure ? random_next_secure() : random_next();
    return logic_box(draw > 0x3FFFFFFF);
}

const char* truth_text(const Cell* value) {
    return value->data1 == 1 ? "true" : "false";
}

int logic_form(Cell* value, Cell* buffer, Cell*, int part) {
    return scalar_append(buffer, truth_text(value), part);
}

int logic_mold(Cell* value, Cell* buffer, bool, bool all, bool, Cell*, int part, int) {
    return scalar_mold(buffer, truth_text(value), all, part);
}

// false sorts before true.
int logic_compare(Cell* value1, Cell* value2, int op) {
    if (scalar_compare_same(value2, T_LOGIC, op) == -2) return -2;
    return static_cast<int>(value1->data1) - static_cast<int>(value2->data1);
}

Cell* logic_complement(Cell* value) {
    value->data1 ^= 1;
    return stack_set_last(value);
}

void logic_and() {
    logic_operator(kLogicAnd);
}
void logic_or() {
    logic_operator(kLogicOr);
}
void logic_xor() {
    logic_operator(kLogicXor);
}

} // namespace

void logic_row(ActionList& row) {
    set_logic(&g_true_cell, true);
    set_logic(&g_false_cell, false);
    row.set<A_MAKE>(logic_make)
        .set<A_RANDOM>(logic_random)
        .set<A_TO>(logic_to)
        .set<A_FORM>(logic_form)
        .set<A_MOLD>(logic_mold)
        .set<A_COMPARE>(logic_compare)
        .set<A_AND_T>(logic_and)
        .set<A_COMPLEMENT>(logic_complement)
        .set<A_OR_T>(logic_or)
        .set<A_XOR_T>(logic_xor);
}

} // namespace xel
