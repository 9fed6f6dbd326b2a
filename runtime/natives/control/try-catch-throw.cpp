// try, catch and throw.
//
// Errors travel as C++ exceptions after stack_throw_error has unwound the
// frames to the nearest try or try/all frame; throw (and break, continue,
// return, exit) unwind to their target and stay pending (exits.h).
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/interpreter/interp.h"
#include "runtime/natives/control/control.h"
#include "runtime/natives/native-call.h"
#include "runtime/stack/exits.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// Whether a thrown name is the /name word or one of the words of the /name
// block (case-insensitive); every element of that block must be a word!.
bool name_matches(const Cell* name, const Cell* names) {
    if (type_of(names) == T_BLOCK) {
        Cell list = *names;
        for (Cell* p = block_rs_head(&list); p < block_rs_tail(&list); p++)
            if (type_of(p) != T_WORD)
                error_fire(kCatScript, err::script::kInvalidRefineArg, g_word_name, &list);
    }
    if (type_of(name) != T_WORD) return false;
    uint32_t canon = symbol_resolve(word_symbol(name));
    if (type_of(names) == T_WORD) return symbol_resolve(word_symbol(names)) == canon;
    Cell list = *names;
    for (Cell* p = block_rs_head(&list); p < block_rs_tail(&list); p++)
        if (symbol_resolve(word_symbol(p)) == canon) return true;
    return false;
}

} // namespace

// try [block [block!] /all /keep]
//
// An error becomes the result. Without /all break, continue, return, exit
// and throw pass on (their codes are returned for compiled callers); inside
// a try/all frame they have already become errors.
uint32_t natives_try(int, const int32_t* refs) {
    Cell block = *call_arg(0);
    bool all = ref_present(refs[0]);
    bool keep = ref_present(refs[1]);
    CallFrame* frame = stack_top_frame();
    Cell* base = g_stack_args;
    // Pushed outside the catch point: a full frame stack is an outer try's error.
    stack_mark(g_word_try, all ? kHeaderTryAll : kHeaderTry);
    try {
        if (interp_eval_block(&block, true).exit_pending())
            return g_pending_exit == kThrowThrow ? 0 : g_pending_exit;
        stack_unwind_last();
        return 0;
    } catch (const Throw& t) {
        if (t.code != kThrowError) {
            if (!is_exit_code(t.code)) throw;
            // An exit raised as a C++ throw has unwound its frames already.
            exit_set(t.code);
            return t.code == kThrowThrow ? 0 : t.code;
        }
    }
    stack_set_top_frame(frame);
    g_stack_args = base;
    stack_revert();
    if (keep && type_of(base) == T_ERROR) error_capture_stack(base);
    return 0;
}

// catch [block [block!] /name word [word! block!]]
//
// A throw arrives with the catch frame on top holding the thrown value and
// name. A named catch passes on a throw of another name (or of none) to an
// outer catch, the name kept in place.
uint32_t natives_catch(int, const int32_t* refs) {
    Cell block = *call_arg(0);
    bool named = ref_present(refs[0]);
    Cell names = named ? *ref_arg(refs[0]) : g_none_cell;
    stack_mark_catch(g_word_body_marker);
    if (!interp_eval_block(&block, true).exit_pending()) {
        stack_unwind_last();
        return 0;
    }
    if (g_pending_exit != kThrowThrow) return 0;
    Cell value = g_stack_args[0];
    Cell name = g_stack_args[1];
    stack_unwind_last();
    exit_take();
    if (named && !name_matches(&name, &names)) {
        stack_reset();
        stack_push(&value);
        stack_push(&name);
        stack_throw_throw(kThrowThrow);
        return 0;
    }
    stack_keep();
    // The throw ends here: a later error must not name its origin as where.
    g_throw_origin = nullptr;
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceCatch, nullptr, nullptr, nullptr, &value);
    return 0;
}

// throw [value /name word [word!]]: the value and the name (unset! without
// /name) are the first two cells of this frame.
uint32_t natives_throw(int, const int32_t* refs) {
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceThrow, nullptr, nullptr, nullptr, call_arg(0));
    if (!ref_present(refs[0])) {
        stack_keep();
        stack_push(&g_unset_cell);
    }
    stack_throw_throw(kThrowThrow);
    return 0;
}

} // namespace xel
