// equal? and the other comparison natives, same? and not.
#include "runtime/actions/dispatch.h"
#include "runtime/actions/fast-paths.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/native-call.h"

namespace xel {

namespace {

// Two integers take the fast path's in-place test; anything else goes
// through the compare action of the first value's type.
uint32_t compare_args(int op) {
    Cell* args = stack_arguments();
    if (type_of(args) == T_INTEGER && type_of(args + 1) == T_INTEGER)
        ops_int_compare_set_q(op, nullptr, args, args + 1);
    else
        actions_compare_to_logic(op);
    return 0;
}

bool same_words(const Cell* a, const Cell* b, bool w1, bool w2, bool w3) {
    return (!w1 || cell_payload_word(a, 1) == cell_payload_word(b, 1)) &&
           (!w2 || cell_payload_word(a, 2) == cell_payload_word(b, 2)) &&
           (!w3 || cell_payload_word(a, 3) == cell_payload_word(b, 3));
}

} // namespace

uint32_t natives_equal(int, const int32_t*) {
    return compare_args(kCmpEqual);
}
uint32_t natives_not_equal(int, const int32_t*) {
    return compare_args(kCmpNotEqual);
}
uint32_t natives_strict_equal(int, const int32_t*) {
    return compare_args(kCmpStrictEqual);
}
uint32_t natives_lesser(int, const int32_t*) {
    return compare_args(kCmpLesser);
}
uint32_t natives_greater(int, const int32_t*) {
    return compare_args(kCmpGreater);
}
uint32_t natives_lesser_or_equal(int, const int32_t*) {
    return compare_args(kCmpLesserEqual);
}
uint32_t natives_greater_or_equal(int, const int32_t*) {
    return compare_args(kCmpGreaterEqual);
}

bool natives_same_values(const Cell* value1, const Cell* value2) {
    uint8_t type = type_of(value1);
    if (type != type_of(value2)) return false;
    switch (type) {
    case T_NONE:
    case T_UNSET:
    case T_EVENT: // any two events are the same
        return true;
    case T_DATATYPE:
    case T_LOGIC:
    case T_OBJECT:
        return same_words(value1, value2, true, false, false);
    case T_CHAR:
    case T_INTEGER:
    case T_BITSET:
        return same_words(value1, value2, false, true, false);
    case T_BLOCK:
    case T_PAREN:
    case T_HASH:
    case T_PATH:
    case T_LIT_PATH:
    case T_SET_PATH:
    case T_GET_PATH:
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
    case T_BINARY:
    case T_VECTOR:
    case T_IMAGE:
        return same_words(value1, value2, true, true, false);
    case T_FLOAT:
    case T_PERCENT:
    case T_PAIR:
    case T_TIME:
        return same_words(value1, value2, false, true, true);
    case T_TUPLE: {
        uint32_t n = tuple_count(value1);
        if (n != tuple_count(value2)) return false;
        const uint8_t* a = tuple_bytes(value1);
        const uint8_t* b = tuple_bytes(value2);
        for (uint32_t i = 0; i < n; i++)
            if (a[i] != b[i]) return false;
        return true;
    }
    case T_MONEY: {
        Cell a = *value1, b = *value2;
        return actions_compare(&a, &b, kCmpSame);
    }
    case T_NATIVE:
    case T_ACTION:
    case T_POINT2D:
        return same_words(value1, value2, true, true, false);
    case T_OP:
        return same_words(value1, value2, false, true, true);
    default:
        return same_words(value1, value2, true, true, true);
    }
}

uint32_t natives_same(int, const int32_t*) {
    Cell* args = stack_arguments();
    set_logic(args, natives_same_values(args, args + 1));
    return 0;
}

uint32_t natives_not(int, const int32_t*) {
    set_logic(stack_arguments(), logic_false());
    return 0;
}

} // namespace xel
