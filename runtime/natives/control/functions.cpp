// func, function, does and has make interpreted function! values; apply
// calls a function with its arguments read from a block.
#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/natives/control/control.h"
#include "runtime/natives/native-call.h"
#include "runtime/stack/exits.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// Checks the spec, makes the function and makes it the result.
uint32_t make_function(Cell* spec, Cell* body) {
    series_clamp_position(spec);
    series_clamp_position(body);
    uint32_t flags = function_validate_spec(spec);
    Cell fn = *function_make_compiled(spec, body, 0, 0, 0, flags);
    stack_set_last_keep(&fn);
    return 0;
}

// A shallow copy of a block from its position.
Cell copy_block(const Cell* block) {
    Cell copy = *block_clone(block, false, false);
    stack_pop(1);
    return copy;
}

} // namespace

// func [spec [block!] body [block!]]
uint32_t natives_func(int, const int32_t*) {
    Cell spec = *call_arg(0);
    Cell body = *call_arg(1);
    return make_function(&spec, &body);
}

// function [spec [block!] body [block!] /extern]: the set-words of the body
// (and the words of foreach, remove-each and repeat) become locals, except
// the words the spec names after /extern. The native's own /extern is only
// declared.
uint32_t natives_function(int, const int32_t*) {
    Cell body = *call_arg(1);
    Cell spec = copy_block(call_arg(0));
    function_collect_words(&spec, &body);
    return make_function(&spec, &body);
}

// does [body [block!]]
uint32_t natives_does(int, const int32_t*) {
    Cell body = *call_arg(0);
    Cell spec;
    block_make_at(&spec, 1);
    return make_function(&spec, &body);
}

// has [vars [block!] body [block!]]: the words are locals.
uint32_t natives_has(int, const int32_t*) {
    Cell body = *call_arg(1);
    Cell spec = copy_block(call_arg(0));
    block_insert_value(&spec, g_ref_local, true, false);
    return make_function(&spec, &body);
}

// apply [func [word! path! any-function!] args [block!] /all /safer]
//
// The block holds the arguments as values (already reduced): with /all one
// for every entry of the spec in order, else the mandatory arguments followed
// by refinements with their values. A word gives its value, a path the value
// of its first element (its further elements name refinements).
uint32_t natives_apply(int, const int32_t* refs) {
    Cell target = *call_arg(0);
    Cell args = *call_arg(1);
    int mode = ref_present(refs[0]) ? kApplyAll : kApplyPlain;
    if (ref_present(refs[1])) mode |= kApplySafer;

    Cell fn;
    const Cell* name = &target;
    switch (type_of(&target)) {
    case T_WORD:
        fn = *context_get(&target);
        break;
    case T_PATH: {
        Cell* first = block_rs_head(&target);
        if (first >= block_rs_tail(&target) || type_of(first) != T_WORD)
            error_fire(kCatScript, err::script::kInvalidArg, &target);
        fn = *context_get(first);
        break;
    }
    default:
        fn = target;
        name = g_word_applied_marker;
        break;
    }
    uint8_t t = type_of(&fn);
    if (t == T_OP) {
        cell_set_type(&fn, static_cast<uint8_t>(fn.header >> 16));
        t = type_of(&fn);
    }
    if (t != T_NATIVE && t != T_ACTION && t != T_FUNCTION && t != T_ROUTINE)
        error_fire(kCatScript, err::script::kInvalidArg, &target);

    stack_set_interp_flag();
    Cell* head = at<Cell>(block_buffer(&args)->head);
    Cell* end = block_rs_tail(&args);
    int32_t index = block_index(&args);
    Cell* pos = head + (index > 0 ? index : 0);
    if (pos > end) pos = end;
    stack_reset();
    if (interp_eval_code(&fn, pos, end, &args, name, mode, false).exit_pending()) return 0;
    stack_keep();
    return 0;
}

} // namespace xel
