// if, unless, either, any, all, switch and case.
//
// Truth: none! and false are falsy, every other value (unset! included) is
// truthy for if, unless, any and all; either and case refuse unset! (script
// no-return).
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/natives/control/control.h"
#include "runtime/natives/native-call.h"
#include "runtime/stack/exits.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// The cells of a block from its position (clamped) to its tail.
struct Span {
    Cell* pos;
    Cell* end;
};
inline Span span_of(const Cell* block) {
    Cell* head = at<Cell>(block_buffer(block)->head);
    Cell* end = block_rs_tail(block);
    int32_t index = block_index(block);
    Cell* pos = head + (index > 0 ? index : 0);
    return Span{pos < end ? pos : end, end};
}

inline uint32_t result_none() {
    set_none(stack_arguments());
    stack_keep();
    return 0;
}

} // namespace

// if [cond [any-type!] then-blk [block!]]
uint32_t natives_if(int, const int32_t*) {
    if (logic_false()) return result_none();
    (void)interp_eval_block(call_arg(1), true);
    return 0;
}

// unless [cond [any-type!] then-blk [block!]]
uint32_t natives_unless(int, const int32_t*) {
    if (!logic_false()) return result_none();
    (void)interp_eval_block(call_arg(1), true);
    return 0;
}

// either [cond [any-type!] true-blk [block!] false-blk [block!]]
uint32_t natives_either(int, const int32_t*) {
    (void)interp_eval_block(call_arg(logic_arg_true() ? 1 : 2), true);
    return 0;
}

// any [conds [block!]]: the first truthy value, else none.
uint32_t natives_any(int, const int32_t*) {
    Cell code = *call_arg(0);
    Span s = span_of(&code);
    Cell* mark = g_stack_top;
    while (s.pos < s.end) {
        Evaluated<Cell*> next = interp_eval_expression(s.pos, s.end, &code, false, true, false);
        if (next.exit_pending()) return 0;
        s.pos = next.value();
        if (value_truth(mark)) {
            stack_set_last_keep(mark);
            return 0;
        }
        g_stack_top = mark;
    }
    return result_none();
}

// all [conds [block!]]: the last value when every value is truthy, else none.
uint32_t natives_all(int, const int32_t*) {
    Cell code = *call_arg(0);
    Span s = span_of(&code);
    if (s.pos >= s.end) return result_none();
    Cell* mark = g_stack_top;
    while (s.pos < s.end) {
        Evaluated<Cell*> next = interp_eval_expression(s.pos, s.end, &code, false, true, false);
        if (next.exit_pending()) return 0;
        s.pos = next.value();
        if (!value_truth(mark)) return result_none();
        if (s.pos < s.end) g_stack_top = mark;
    }
    stack_set_last_keep(mark);
    return 0;
}

// switch [value [any-type!] cases [block!] /default case [block!]]
//
// Only cells of the value's own datatype are compared (equality mode, so text
// ignores case); the first block! after the match is evaluated. A block!
// value never matches.
uint32_t natives_switch(int, const int32_t* refs) {
    Cell value = *call_arg(0);
    Cell cases = *call_arg(1);
    uint8_t type = type_of(&value);
    if (type != T_BLOCK) {
        Span s = span_of(&cases);
        for (Cell* p = s.pos; p < s.end; p++) {
            if (type_of(p) != type) continue;
            Cell candidate = *p;
            if (!actions_compare(&value, &candidate, kCmpEqual)) continue;
            for (Cell* q = p + 1; q < s.end; q++) {
                if (type_of(q) != T_BLOCK) continue;
                Cell body = *q;
                stack_reset();
                (void)interp_eval_block(&body, true);
                return 0;
            }
            return result_none();
        }
    }
    if (ref_present(refs[0])) {
        Cell body = *ref_arg(refs[0]);
        stack_reset();
        (void)interp_eval_block(&body, true);
        return 0;
    }
    return result_none();
}

// case [cases [block!] /all]
//
// Condition by condition: a truthy one evaluates what follows it (a block!
// whole, any other value as one expression); a falsy one skips exactly one
// cell. With /all the result is the last evaluated value only when the last
// condition tested was truthy: case/all gives none when its last condition
// is falsy.
uint32_t natives_case(int, const int32_t* refs) {
    Cell code = *call_arg(0);
    bool all = ref_present(refs[0]);
    Span s = span_of(&code);
    if (s.pos >= s.end) return result_none();
    Cell* base = stack_mark_native(g_word_anon_marker);
    bool last_true = false;
    while (s.pos < s.end) {
        last_true = false;
        Evaluated<Cell*> test = interp_eval_expression(s.pos, s.end, &code, false, false, false);
        if (test.exit_pending()) return 0;
        s.pos = test.value();
        if (s.pos >= s.end) error_fire(kCatScript, err::script::kNeedValue, g_gword_case);
        if (!logic_arg_true()) {
            s.pos++;
            continue;
        }
        last_true = true;
        if (type_of(s.pos) == T_BLOCK) {
            Cell body = *s.pos++;
            stack_reset();
            if (interp_eval_block(&body, true).exit_pending()) return 0;
        } else {
            Evaluated<Cell*> next =
                interp_eval_expression(s.pos, s.end, &code, false, false, false);
            if (next.exit_pending()) return 0;
            s.pos = next.value();
        }
        if (!all) break;
    }
    if (!last_true) set_none(base);
    stack_unwind_last();
    return 0;
}

} // namespace xel
