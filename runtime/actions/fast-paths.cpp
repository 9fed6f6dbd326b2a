#include "runtime/actions/fast-paths.h"

#include "runtime/actions/dispatch.h"
#include "runtime/core/fatal.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

// Refinement positions for fallback calls: every refinement absent.
constexpr int32_t kNoRefs[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

[[noreturn]] void bad_code() {
    runtime_error(kErrNoSwitch, 0);
}

int math_slot(int code) {
    switch (code) {
    case 0:
        return A_ADD;
    case 1:
        return A_SUBTRACT;
    case 2:
        return A_MULTIPLY;
    case 5:
        return A_OR_T;
    case 6:
        return A_AND_T;
    case 7:
        return A_XOR_T;
    default:
        bad_code();
    }
}

// Runs a stack-level action on the given operands in a native frame named
// by word; the result is left pushed.
void generic(int slot, const Cell* word, const Cell* a, const Cell* b) {
    Cell x = *a, y = b ? *b : Cell{};
    stack_mark_native(word);
    stack_push(&x);
    if (b) stack_push(&y);
    g_actions_table[slot - 1](0, kNoRefs);
    stack_unwind_keep();
}

// Pops the top cell into out (a left operand about to be replaced).
Cell pop_top() {
    Cell c = *stack_top();
    stack_pop(1);
    return c;
}

bool int_compare(int code, int32_t l, int32_t r) {
    if (code < 0 || code > 6) bad_code();
    return ops_int_test(code, l, r);
}

// The comparison as a bool, through a native frame when not both integers.
bool compare(int code, const Cell* word, const Cell* left, const Cell* right) {
    if (type_of(left) == T_INTEGER && type_of(right) == T_INTEGER)
        return int_compare(code, integer_get(left), integer_get(right));
    if (code < 0 || code > 6) bad_code();
    Cell x = *left, y = *right;
    stack_mark_native(word);
    stack_push(&x);
    stack_push(&y);
    actions_compare_to_logic(code);
    stack_unwind_keep();
    Cell result = pop_top();
    return logic_get(&result) != 0;
}

Cell imm(int32_t v) {
    Cell c;
    set_integer(&c, v);
    return c;
}

} // namespace

void ops_int_math(int code, const Cell* word, const Cell* left, const Cell* right) {
    int slot = math_slot(code);
    Cell out;
    if (ops_math_try(code, left, right, &out))
        stack_push(&out);
    else
        generic(slot, word, left, right);
}

void ops_int_math_imm(int code, const Cell* word, const Cell* left, int32_t right) {
    Cell r = imm(right);
    ops_int_math(code, word, left, &r);
}

void ops_int_math_top(int code, const Cell* word, const Cell* right) {
    int slot = math_slot(code);
    Cell* top = stack_top();
    Cell out;
    if (ops_math_try(code, top, right, &out)) {
        *top = out;
        return;
    }
    Cell left = pop_top();
    generic(slot, word, &left, right);
}

void ops_int_math_imm_top(int code, const Cell* word, int32_t right) {
    Cell r = imm(right);
    ops_int_math_top(code, word, &r);
}

void ops_int_compare(int code, const Cell* word, const Cell* left, const Cell* right) {
    Cell out;
    set_logic(&out, compare(code, word, left, right));
    stack_push(&out);
}

void ops_int_compare_imm(int code, const Cell* word, const Cell* left, int32_t right) {
    Cell r = imm(right);
    ops_int_compare(code, word, left, &r);
}

bool ops_int_compare_q(int code, const Cell* word, const Cell* left, const Cell* right,
                       bool negate) {
    return compare(code, word, left, right) != negate;
}

bool ops_int_compare_imm_q(int code, const Cell* word, const Cell* left, int32_t right,
                           bool negate) {
    Cell r = imm(right);
    return compare(code, word, left, &r) != negate;
}

bool ops_int_compare_set_q(int code, const Cell* word, const Cell* left, const Cell* right) {
    bool b = compare(code, word, left, right);
    set_logic(stack_arguments(), b);
    return b;
}

bool ops_int_compare_imm_set_q(int code, const Cell* word, const Cell* left, int32_t right) {
    Cell r = imm(right);
    return ops_int_compare_set_q(code, word, left, &r);
}

void ops_int_compare_top(int code, const Cell* word, const Cell* right) {
    Cell left = pop_top();
    ops_int_compare(code, word, &left, right);
}

void ops_int_compare_imm_top(int code, const Cell* word, int32_t right) {
    Cell r = imm(right);
    ops_int_compare_top(code, word, &r);
}

void ops_block_pick(const Cell* value, int32_t n, const Cell* word) {
    if (type_of(value) == T_BLOCK) {
        int32_t length = static_cast<int32_t>(block_rs_tail(value) - block_rs_head(value));
        if (n >= 1 && n <= length) {
            Cell picked = block_rs_head(value)[n - 1];
            stack_push(&picked);
        } else {
            stack_push(&g_none_cell);
        }
        return;
    }
    Cell index = imm(n);
    generic(A_EVAL_PATH, word, value, &index);
}

void ops_block_reflect(const Cell* value, int code, const Cell* word) {
    static constexpr int kSlots[] = {0,      A_LENGTH_Q, A_INDEX_Q, A_HEAD_Q, A_TAIL_Q,
                                     A_NEXT, A_BACK,     A_HEAD,    A_TAIL};
    if (code < 1 || code > 8) bad_code();
    if (type_of(value) != T_BLOCK) {
        generic(kSlots[code], word, value, nullptr);
        return;
    }
    int32_t index = block_index(value);
    int32_t n = static_cast<int32_t>(block_buffer_length(value)) - index;
    Cell out = *value;
    switch (code) {
    case 1:
        set_integer(&out, n > 0 ? n : 0);
        break;
    case 2:
        set_integer(&out, index + 1);
        break;
    case 3:
        set_logic(&out, index == 0);
        break;
    case 4:
        set_logic(&out, n < 1);
        break;
    case 5:
        if (n >= 1) series_set_index(&out, index + 1);
        break;
    case 6:
        series_set_index(&out, index > 0 ? index - 1 : 0);
        break;
    case 7:
        series_set_index(&out, 0);
        break;
    default:
        series_set_index(&out, index + n);
        break;
    }
    stack_push(&out);
}

} // namespace xel
