// while, until, loop, repeat and forever.
#include "runtime/natives/loops/loops.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/natives/loops/loop-pass.h"
#include "runtime/natives/native-call.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

inline uint32_t result_none() {
    set_none(stack_arguments());
    stack_keep();
    return 0;
}

} // namespace

// while [cond [block!] body [block!]]: always unset!, also after break/return.
uint32_t natives_while(int, const int32_t*) {
    Cell cond = *call_arg(0);
    Cell body = *call_arg(1);
    stack_mark_loop(g_word_body_marker);
    for (;;) {
        stack_reset();
        if (interp_eval_block(&cond, true).exit_pending()) {
            if (exit_take_if(kThrowBreak, kThrowContinue))
                error_fire(kCatThrow, err::throw_::kWhileCond);
            return 0;
        }
        if (!logic_arg_true()) break;
        Pass p = loop_pass(&body);
        if (p == Pass::Break) break;
        if (p == Pass::Leave) return 0;
    }
    stack_unwind_last();
    set_unset(stack_arguments());
    return 0;
}

// until [body [block!]]: the truthy value that ended it. continue skips the
// test.
uint32_t natives_until(int, const int32_t*) {
    Cell body = *call_arg(0);
    stack_mark_loop(g_word_body_marker);
    for (;;) {
        Pass p = loop_pass(&body);
        if (p == Pass::Normal) {
            if (logic_arg_true()) break;
        } else if (p == Pass::Break) {
            break;
        } else if (p == Pass::Leave) {
            return 0;
        }
    }
    stack_unwind_last();
    return 0;
}

// loop [count [integer! float!] body [block!]]: the last body value; none
// when the count is not above 0.
uint32_t natives_loop(int, const int32_t*) {
    natives_loop_count();
    int32_t count = integer_get(call_arg(0));
    if (count <= 0) return result_none();
    Cell body = *call_arg(1);
    stack_mark_loop(g_word_body_marker);
    for (int32_t i = 0; i < count; i++) {
        Pass p = loop_pass(&body);
        if (p == Pass::Break) break;
        if (p == Pass::Leave) return 0;
    }
    stack_unwind_last();
    return 0;
}

// repeat ['word [word!] value [integer! float!] body [block!]]: the count
// cell becomes the counter; each pass sets the word from it first, so the
// body changing the word does not change the iteration.
uint32_t natives_repeat(int, const int32_t*) {
    Cell* counter = call_arg(1);
    loop_count_to_integer(counter);
    int32_t limit = integer_get(counter);
    if (limit <= 0) return result_none();
    Cell* word = call_arg(0);
    Cell body = *call_arg(2);
    set_integer(counter, 1);
    stack_mark_loop(g_word_body_marker);
    for (;;) {
        if (!context_set_fast(word, counter)) context_set(word, counter);
        Pass p = loop_pass(&body);
        if (p == Pass::Break) break;
        if (p == Pass::Leave) return 0;
        if (integer_get(counter) >= limit) break;
        integer_make_at(counter, integer_get(counter) + 1);
    }
    stack_unwind_last();
    return 0;
}

// forever [body [block!]]: ends only by break or another exit.
uint32_t natives_forever(int, const int32_t*) {
    Cell body = *call_arg(0);
    stack_mark_loop(g_word_body_marker);
    for (;;) {
        if (interp_eval_block(&body, false).exit_pending()) {
            uint32_t code = exit_take_if(kThrowBreak, kThrowContinue);
            if (code == kThrowBreak) break;
            if (code == 0) return 0;
            continue;
        }
        stack_pop(1);
    }
    stack_unwind_last();
    return 0;
}

} // namespace xel
