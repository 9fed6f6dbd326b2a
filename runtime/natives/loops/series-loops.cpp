// foreach, forall and remove-each: loops over the items or positions of a
// series, their state in cells pushed below the loop frame (loops.h).
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/natives/loops/loop-pass.h"
#include "runtime/natives/loops/loops.h"
#include "runtime/natives/native-call.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// The values forall walks: every series type.
inline bool is_forall_type(uint8_t t) {
    return t == T_BLOCK || t == T_PAREN || t == T_HASH || (t >= T_PATH && t <= T_GET_PATH) ||
           t == T_STRING || t == T_FILE || t == T_URL || t == T_TAG || t == T_EMAIL || t == T_REF ||
           t == T_VECTOR || t == T_BINARY || t == T_IMAGE;
}

// Pushes the loop frame with unset! as its running result.
void mark_loop() {
    stack_mark_loop(g_word_body_marker);
    stack_push(&g_unset_cell);
}

} // namespace

// foreach ['word [word! block!] series [series! map!] body [block!]]: the
// last body value (unset! when the body never ran).
uint32_t natives_foreach(int, const int32_t*) {
    Cell words = *call_arg(0);
    Cell series = *call_arg(1);
    Cell body = *call_arg(2);
    stack_push(&series);
    stack_push(&words);
    mark_loop();
    if (type_of(&words) == T_BLOCK) {
        int n = block_length_at(&words);
        if (n <= 0) error_fire(kCatScript, err::script::kInvalidArg, &words);
        while (natives_foreach_set(static_cast<uint32_t>(n))) {
            Pass p = loop_pass(&body);
            if (p == Pass::Break) break;
            if (p == Pass::Leave) return 0;
        }
    } else {
        // A map! gives key and value: it needs two words.
        if (type_of(&series) == T_MAP) error_fire(kCatScript, err::script::kInvalidArg, &words);
        while (natives_foreach_next()) {
            Pass p = loop_pass(&body);
            if (p == Pass::Break) break;
            if (p == Pass::Leave) return 0;
        }
    }
    stack_unwind_last();
    return 0;
}

// forall ['word [word!] body [block!]]: the body runs at each position of
// the word's series; after a normal end the word is set back to its start,
// after break it keeps the position where the break happened.
uint32_t natives_forall(int, const int32_t*) {
    Cell word = *call_arg(0);
    Cell body = *call_arg(1);
    Cell start = *context_get(&word);
    if (type_of(&start) == T_UNSET) error_fire(kCatScript, err::script::kNoValue, &word);
    if (!is_forall_type(type_of(&start))) error_fire_expect_arg(type_of(&start), 0);
    stack_push(&start);
    stack_push(&word);
    mark_loop();
    Cell* word_cell = g_stack_args - 1;
    bool broken = false;
    if (natives_check_forall(context_get(word_cell))) {
        for (;;) {
            Pass p = loop_pass(&body);
            if (p == Pass::Leave) return 0;
            if (p == Pass::Break) {
                broken = true;
                break;
            }
            const Cell* now = context_get(word_cell);
            if (!is_forall_type(type_of(now)) || !series_same_buffer(now, &start))
                error_fire(kCatScript, err::script::kBadLoopSeries, now);
            if (natives_forall_next(true)) break;
        }
    }
    if (!broken) natives_forall_end();
    stack_unwind_last();
    return 0;
}

// remove-each ['word [word! block!] data [series!] body [block!]]: removes
// the items for which the body is truthy; returns data as given.
uint32_t natives_remove_each(int, const int32_t*) {
    Cell words = *call_arg(0);
    Cell data = *call_arg(1);
    Cell body = *call_arg(2);
    bool several = type_of(&words) == T_BLOCK;
    auto n = static_cast<uint32_t>(several ? block_length_at(&words) : 1);
    Cell part;
    set_integer(&part, static_cast<int32_t>(n));
    stack_push(&part);
    stack_push(&data);
    stack_push(&words);
    mark_loop();
    for (;;) {
        if (!(several ? natives_foreach_set(n) : natives_foreach_next())) break;
        Pass p = loop_pass(&body);
        if (p == Pass::Break) break;
        if (p == Pass::Leave) return 0;
        if (p == Pass::Normal) natives_remove_each_core(n);
    }
    stack_unwind_last();
    stack_set_last_keep(&data);
    return 0;
}

} // namespace xel
