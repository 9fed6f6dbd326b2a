#include "runtime/datatypes/block/element-actions.h"

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/registry.h"

namespace xel {

namespace {

// A native's or action's table entry (word 1), a function's record (word 3);
// an op! carries its source's type in header bits 16 to 23.
uint32_t code_reference(const Cell* c) {
    uint8_t t = code_kind(c);
    return t == T_FUNCTION || t == T_ROUTINE ? c->data3 : c->data1;
}

int three_way(uint32_t a, uint32_t b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

int element_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                 int indent) {
    return actions_mold_typed(value, buffer, only, all, flat, arg, part, indent);
}

int element_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    return actions_form_typed(value, buffer, arg, part);
}

int element_compare(Cell* value1, Cell* value2, int op) {
    auto fn = action_of<A_COMPARE>(type_of(value1));
    return fn ? fn(value1, value2, op) : -2;
}

int element_compare_values(Cell* value1, Cell* value2, int op) {
    switch (type_of(value1)) {
    case T_LOGIC:
        if (type_of(value2) != T_LOGIC) break;
        return static_cast<int>(value1->data1) - static_cast<int>(value2->data1);
    case T_NATIVE:
    case T_ACTION:
    case T_OP:
    case T_FUNCTION:
    case T_ROUTINE:
        if (type_of(value2) != type_of(value1)) break;
        return three_way(code_reference(value1), code_reference(value2));
    default:
        break;
    }
    return element_compare(value1, value2, op);
}

bool element_equal(Cell* value1, Cell* value2, int op) {
    int r = element_compare(value1, value2, op);
    return op == kCmpNotEqual ? r != 0 : r == 0;
}

} // namespace xel
