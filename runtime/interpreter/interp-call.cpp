#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-internal.h"
#include "runtime/interpreter/interp-native-call.h"
#include "runtime/interpreter/interp-operators.h"
#include "runtime/interpreter/interp-spec.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/interpreter/interp.h"
#include "runtime/natives/natives.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

Evaluated<Cell*> generic_call(const Cell* fn, Cell* pos, Cell* end, Cell* code, const Cell* name,
                              int mode, bool infix);

struct Call {
    const Cell* fn;
    Cell* pos;
    Cell* end;
    Cell* code;
    const Cell* name; // word or path naming the call
    int mode;
    bool infix;
};

[[noreturn]] void expect_arg(const Call& c, const Cell* value, int spec_pos) {
    Cell type{T_DATATYPE, type_of(value), 0, 0};
    Cell arg = function_arg_word(c.fn, spec_pos);
    error_fire(kCatScript, err::script::kExpectArg, call_name_word(c.name), &type, &arg);
}

// After an argument pushed at value, the operators that follow it; the
// check for an op stays inline, the application does not.
[[gnu::noinline]] Evaluated<Cell*> apply_operators_after(Cell* pos, Cell* end, Cell* code,
                                                         Cell* value) {
    return apply_operators(pos, end, code, value);
}

// Pushes one evaluated argument from pos, as interp_eval_expression would;
// values that evaluate to themselves, words of such values and parens skip
// the round through it. The right operand of an infix call takes no operators.
// Returns the position after the argument.
template <bool Infix> inline Evaluated<Cell*> lean_argument(Cell* pos, Cell* end, Cell* code) {
    const Cell* value = pos;
    uint8_t t = type_of(pos);
    if (t == T_WORD) {
        if (!word_context(pos)) return interp_eval_expression(pos, end, code, Infix, true, false);
        value = context_get_fast(pos);
        t = type_of(value);
        if (!word_pushes_value(t))
            return interp_eval_expression(pos, end, code, Infix, true, false);
    } else if (t == T_PAREN && !g_tracing) {
        Cell paren = *pos;
        if (interp_eval_block(&paren, false).exit_pending()) return pos;
        pos++;
        if (g_tracing) [[unlikely]]
            trace_fire(kTracePush, code, pos, nullptr, stack_top());
        if (!Infix && pos < end && type_of(pos) == T_WORD)
            return apply_operators_after(pos, end, code, g_stack_top - 1);
        return pos;
    } else if (!is_inert(t)) {
        return interp_eval_expression(pos, end, code, Infix, true, false);
    }
    if (g_tracing) return interp_eval_expression(pos, end, code, Infix, true, false);
    Cell* pushed = stack_push(value);
    if (value == pos) cell_clear_new_line(pushed);
    pos++;
    if (!Infix && pos < end && type_of(pos) == T_WORD)
        return apply_operators_after(pos, end, code, pushed);
    return pos;
}

// Pushes the next argument of the call as its class asks, then checks its type.
void fetch_argument(Call& c, const Cell* typeset, int spec_pos) {
    uint32_t cls = argument_class(typeset);
    if (c.pos >= c.end) {
        if (c.mode != kApplyNone) {
            // Natives and actions count on their argument types; a function's
            // body sees the none! itself.
            const Cell* none = stack_push(&g_none_cell);
            uint8_t t = type_of(c.fn);
            if ((t == T_NATIVE || t == T_ACTION) && !typeset_has(typeset, T_NONE))
                expect_arg(c, none, spec_pos);
            return;
        }
        if (cls == kArgSoftQuoted && typeset_has(typeset, T_UNSET)) {
            stack_push(&g_unset_cell);
            return;
        }
        Cell arg = function_arg_word(c.fn, spec_pos);
        error_fire(kCatScript, err::script::kNoArg, call_name_word(c.name), &arg);
    }
    if (cls == kArgEvaluated && c.mode == kApplyNone) {
        Evaluated<Cell*> next =
            !g_interp_fast ? interp_eval_expression(c.pos, c.end, c.code, c.infix, true, false)
            : c.infix      ? lean_argument<true>(c.pos, c.end, c.code)
                           : lean_argument<false>(c.pos, c.end, c.code);
        if (next.exit_pending()) return;
        c.pos = next.value();
    } else if (cls == kArgSoftQuoted && c.mode == kApplyNone) {
        switch (type_of(c.pos)) {
        case T_PAREN: {
            Cell paren = *c.pos;
            if (interp_eval_block(&paren, false).exit_pending()) return;
            break;
        }
        case T_GET_WORD:
            stack_push(context_get_fast(c.pos));
            break;
        case T_GET_PATH:
            if (interp_eval_path(c.pos, c.end, c.code, false, true).exit_pending()) return;
            break;
        default:
            stack_push(c.pos);
            break;
        }
        c.pos++;
    } else {
        Cell* v = stack_push(c.pos++);
        cell_clear_new_line(v);
    }
    const Cell* value = stack_top();
    if (!typeset_has(typeset, type_of(value))) expect_arg(c, value, spec_pos);
}

// The refinement entry of a symbol in the cached list, with the frame index
// (functions) or ordinal (natives) it stands for.
const Cell* find_refinement(const SpecList& list, uint32_t symbol, int* slot, int* ordinal) {
    uint32_t canon = 0; // resolved at the first entry of another symbol
    int index = 0, ord = 0;
    for (const Cell* e = list.begin; e < list.end; e++) {
        if (type_of(e) == T_TYPESET) {
            if (argument_class(e) != kArgReturn) index++;
            continue;
        }
        ord++;
        if (word_symbol(e) != symbol && !canon) canon = symbol_resolve(symbol);
        // The same symbol needs no resolving.
        if (word_symbol(e) == symbol || symbol_resolve(word_symbol(e)) == canon) {
            *slot = index;
            *ordinal = ord;
            return e;
        }
        index++;
    }
    return nullptr;
}

// The refinements the call names, in the order named: the path's elements
// after the function (a word is true, a get-word takes its value's truth),
// or under plain apply the refinement! values after the mandatory arguments
// in the block, each followed by the value that gives its truth.
template <class Apply> void apply_named_refinements(Call& c, const SpecList& list, Apply&& apply) {
    auto named = [&](const Cell* word, uint32_t symbol, bool truth) {
        int slot = 0, ordinal = 0;
        const Cell* entry = find_refinement(list, symbol, &slot, &ordinal);
        if (!entry) error_fire(kCatScript, err::script::kNoRefine, call_name_word(c.name), word);
        apply(entry, slot, ordinal, truth);
    };
    if (c.name && type_of(c.name) == T_PATH) {
        Cell* tail = block_rs_tail(c.name);
        for (Cell* p = path_first(c.name) + 1; p < tail; p++) {
            if (type_of(p) == T_WORD)
                named(p, word_symbol(p), true);
            else if (type_of(p) == T_GET_WORD)
                named(p, word_symbol(p), value_truth(context_get_fast(p)));
            else
                error_fire(kCatScript, err::script::kBadRefine, p);
            if (exit_pending()) return;
        }
    }
    if (c.mode & kApplyPlain) {
        bool any_refinement = false;
        for (const Cell* e = list.begin; e < list.end; e++)
            if (type_of(e) == T_REFINEMENT) any_refinement = true;
        while (c.pos < c.end) {
            const Cell* word = c.pos;
            if (type_of(word) != T_REFINEMENT) {
                if (!any_refinement) return;
                error_fire(kCatScript, err::script::kBadRefine, word);
            }
            bool truth = c.pos + 1 < c.end && value_truth(c.pos + 1);
            c.pos += c.pos + 1 < c.end ? 2 : 1;
            named(word, word_symbol(word), truth);
            if (exit_pending()) return;
        }
    }
}

// Under apply/all the block holds a logic! for every refinement of the spec.
bool apply_all_truth(Call& c, const Cell* refinement) {
    if (c.pos >= c.end) return false;
    const Cell* v = c.pos++;
    if (type_of(v) != T_LOGIC) {
        Cell type{T_DATATYPE, type_of(v), 0, 0};
        Cell word = *refinement;
        cell_set_type(&word, T_WORD);
        error_fire(kCatScript, err::script::kExpectArg, call_name_word(c.name), &type, &word);
    }
    return logic_get(v) != 0;
}

// The first entry to gather: in an infix call the left operand is already
// in place as the first argument, so its entry is only checked.
const Cell* first_entry(Call& c, const SpecList& list, Cell* base, int* spec_pos) {
    const Cell* e = list.begin;
    if (!c.infix) return e;
    while (e < list.end && (type_of(e) != T_TYPESET || argument_class(e) == kArgReturn))
        e++;
    if (e < list.end && !typeset_has(e, type_of(base))) expect_arg(c, base, 0);
    *spec_pos = 1;
    return e + 1;
}

// Fetches the arguments of a named refinement: pushed (natives), or into
// their placeholder cells from frame index pos on (functions: frame != nullptr).
void fetch_refinement_args(Call& c, const SpecList& list, const Cell* entry, int pos, Cell* frame) {
    for (const Cell* a = entry + 1; a < list.end && type_of(a) == T_TYPESET; a++) {
        if (argument_class(a) == kArgReturn) continue;
        fetch_argument(c, a, pos);
        if (exit_pending()) return;
        if (frame) {
            frame[pos] = *stack_top();
            g_stack_top--;
        }
        pos++;
    }
}

void gather_native(Call& c, int32_t* refs) {
    SpecList list = interp_cached_spec(c.fn);
    int refinements = list.trailing;
    if (refinements > kMaxRefinements) refinements = kMaxRefinements;
    for (int i = 0; i < refinements; i++)
        refs[i] = kRefAbsent;
    Cell* base = stack_arguments();
    bool active = true;
    int spec_pos = 0;
    const Cell* e = first_entry(c, list, base, &spec_pos);
    int ordinal = 0;
    for (; e < list.end; e++) {
        if (type_of(e) == T_TYPESET) {
            if (argument_class(e) == kArgReturn) continue;
            if (active) {
                fetch_argument(c, e, spec_pos);
                if (exit_pending()) return;
            } else if (c.mode & kApplyAll && c.pos < c.end) {
                c.pos++;
            }
        } else {
            ordinal++;
            active = c.mode & kApplyAll && apply_all_truth(c, e);
            if (active && ordinal <= refinements)
                refs[ordinal - 1] = static_cast<int32_t>(g_stack_top - base);
        }
        spec_pos++;
    }
    apply_named_refinements(c, list, [&](const Cell* entry, int slot, int ord, bool truth) {
        if (ord > refinements) return;
        if (refs[ord - 1] != kRefAbsent) error_fire(kCatScript, err::script::kDupRefine, c.name);
        Cell* mark = g_stack_top;
        if (truth) refs[ord - 1] = static_cast<int32_t>(mark - base);
        if (!truth && c.mode & kApplySafer) return;
        fetch_refinement_args(c, list, entry, slot + 1, nullptr);
        if (!truth) g_stack_top = mark;
    });
}

void gather_function(Call& c) {
    SpecList list = interp_cached_spec(c.fn);
    Cell* base = stack_arguments();
    bool active = true;
    int spec_pos = 0;
    const Cell* e = first_entry(c, list, base, &spec_pos);
    for (; e < list.end; e++) {
        if (type_of(e) == T_TYPESET) {
            if (argument_class(e) == kArgReturn) continue;
            if (active) {
                fetch_argument(c, e, spec_pos);
                if (exit_pending()) return;
            } else {
                if (c.mode & kApplyAll && c.pos < c.end) c.pos++;
                stack_push(&g_none_cell);
            }
        } else {
            active = c.mode & kApplyAll && apply_all_truth(c, e);
            set_logic(stack_push_cell(), active);
        }
        spec_pos++;
    }
    if (list.trailing > 0) {
        stack_push(&g_false_cell);
        for (int i = 1; i < list.trailing; i++)
            stack_push(&g_none_cell);
    }
    apply_named_refinements(c, list, [&](const Cell* entry, int slot, int, bool truth) {
        Cell* flag = base + slot;
        if (type_of(flag) == T_LOGIC && logic_get(flag))
            error_fire(kCatScript, err::script::kDupRefine, c.name);
        set_logic(flag, truth);
        if (!truth && c.mode & kApplySafer) return;
        fetch_refinement_args(c, list, entry, slot + 1, base);
    });
}

// A path naming a call ends at the function: it names no refinement.
inline bool path_names_no_refinement(const Cell* path) {
    return type_of(path) == T_PATH && path_first(path) + 1 >= block_rs_tail(path);
}

// The common call: named by a word, by nothing or by a path that ends at the
// function, no apply mode.
// Only the arguments before the first refinement are fetched; every
// refinement is absent.
inline bool plain_call(const Call& c) {
    if (!g_interp_fast || c.mode != kApplyNone) return false;
    return !c.name || type_of(c.name) != T_PATH || path_names_no_refinement(c.name);
}

// Fetches the arguments before the first refinement (after the left operand
// of an infix call); returns that refinement's entry (or the list's end).
const Cell* fetch_leading_arguments(Call& c, const SpecList& list) {
    int spec_pos = 0;
    const Cell* e = first_entry(c, list, stack_arguments(), &spec_pos);
    for (; e < list.end && type_of(e) == T_TYPESET; e++) {
        if (argument_class(e) == kArgReturn) continue;
        fetch_argument(c, e, spec_pos);
        if (exit_pending()) return e;
        spec_pos++;
    }
    return e;
}

// A native's refinements, none of them named.
inline void refinements_absent(const SpecList& list, int32_t* refs) {
    int refinements = list.trailing < kMaxRefinements ? list.trailing : kMaxRefinements;
    for (int i = 0; i < refinements; i++)
        refs[i] = kRefAbsent;
}

// A function's frame cells from entry e on, no refinement named: false for
// each refinement, none for each of their arguments and trailing locals.
inline void push_refinements_absent(const SpecList& list, const Cell* e) {
    for (; e < list.end; e++) {
        if (type_of(e) != T_TYPESET)
            stack_push(&g_false_cell);
        else if (argument_class(e) != kArgReturn)
            stack_push(&g_none_cell);
    }
    if (list.trailing > 0) {
        stack_push(&g_false_cell);
        for (int i = 1; i < list.trailing; i++)
            stack_push(&g_none_cell);
    }
}

void gather_native_plain(Call& c, int32_t* refs) {
    SpecList list = interp_cached_spec(c.fn);
    refinements_absent(list, refs);
    fetch_leading_arguments(c, list);
}

void gather_function_plain(Call& c) {
    SpecList list = interp_cached_spec(c.fn);
    const Cell* e = fetch_leading_arguments(c, list);
    if (exit_pending()) return;
    push_refinements_absent(list, e);
}

// The branch either takes: its first argument (unset! raises no-return, as
// its routine does) picks the second or the third.
inline Cell* either_branch() {
    Cell* args = stack_arguments();
    bool truth = type_of(args) == T_UNSET ? logic_arg_true() : value_truth(args);
    return args + (truth ? 1 : 2);
}

// A function of the program's own code (its record holds a code index).
inline bool is_compiled(const Cell* record) {
    return type_of(&record[kRecordCode]) == T_INTEGER;
}

// The frame of a function call made by word.
inline void mark_function_frame(const Cell* word, const Cell* fn, bool compiled) {
    if (compiled)
        stack_mark_func(word, function_context(fn));
    else
        stack_mark_interp_func(word, function_context(fn));
}

// Runs a function's body in the frame its caller pushed over its arguments:
// the function's words read the frame's cells until it returns. Inline in the
// lean paths, which know already whether the function is the program's own
// (compiled). The record is looked up here, after the arguments: evaluating
// them may have moved it.
[[gnu::always_inline]] inline Evaluated<> run_function_body(const Cell* fn, bool compiled) {
    Cell body = function_record(fn)[kRecordBody];
    Offset ctx = function_context(fn);
    Cell* context = context_cell(ctx);
    uint32_t saved_values = context_cell_values(context);
    uint32_t saved_flags = context->header;
    bool saved_tracing = g_tracing;
    // One test for the rare cases: trace flags, and the program's own
    // functions, which are not stepped into.
    if ((fn->header & (kFunctionTrace | kFunctionNoTrace)) || compiled) {
        if (fn->header & kFunctionTrace) g_tracing = g_tracer_installed;
        if (fn->header & kFunctionNoTrace) g_tracing = false;
        if (compiled) g_tracing = false;
    }

    context->header |= kContextStackValues;
    context_cell_set_values(context, offset_of(stack_arguments()));
    stack_set_flag(true);
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceProlog, &body, nullptr, fn, nullptr);

    struct Restore {
        Offset ctx;
        uint32_t values, flags;
        bool tracing;
        ~Restore() {
            Cell* cc = context_cell(ctx);
            context_cell_set_values(cc, values);
            cc->header = flags;
            g_tracing = tracing;
        }
    } restore{ctx, saved_values, saved_flags, saved_tracing};

    if (type_of(&body) == T_BLOCK) {
        // The function's exit target takes return and exit here.
        if (interp_eval_block(&body, true).exit_pending() &&
            !exit_take_if(kThrowReturn, kThrowExit))
            return {};
    } else {
        set_unset(stack_arguments());
    }
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceEpilog, &body, nullptr, fn, stack_arguments());
    stack_set_flag(false);
    return {};
}

// The lean path's rare cases, out of its frame.
[[noreturn, gnu::noinline]] void lean_expect_arg(const Cell* fn, const Cell* name,
                                                 const Cell* value, int spec_pos) {
    Call c{fn, nullptr, nullptr, nullptr, name, kApplyNone, false};
    expect_arg(c, value, spec_pos);
}
[[gnu::noinline]] const Cell* lean_first_entry(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                               const Cell* name, const SpecList& list, Cell* base,
                                               int* spec_pos) {
    Call c{fn, pos, end, code, name, kApplyNone, true};
    return first_entry(c, list, base, spec_pos);
}
[[gnu::noinline]] Cell* lean_fetch_argument(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                            const Cell* name, bool infix, const Cell* typeset,
                                            int spec_pos) {
    Call c{fn, pos, end, code, name, kApplyNone, infix};
    fetch_argument(c, typeset, spec_pos);
    return c.pos;
}

// The lean walk of a call's arguments before its first refinement, from
// entry e at spec position spec_pos: each fetched as its class asks and its
// type checked. Returns the position after them (or where an exit became
// pending); e is left at that refinement, or at the list's end.
template <bool Infix>
[[gnu::always_inline]] inline Cell*
lean_leading_arguments(const Cell* fn, Cell* pos, Cell* end, Cell* code, const Cell* name,
                       const SpecList& list, const Cell*& e, int spec_pos) {
    for (; e < list.end && type_of(e) == T_TYPESET; e++) {
        uint32_t cls = argument_class(e);
        if (cls == kArgReturn) continue;
        if (cls == kArgEvaluated && pos < end) {
            Evaluated<Cell*> next = lean_argument<Infix>(pos, end, code);
            if (next.exit_pending()) return pos;
            pos = next.value();
            const Cell* value = g_stack_top - 1;
            if (!typeset_has(e, type_of(value))) [[unlikely]]
                lean_expect_arg(fn, name, value, spec_pos);
        } else {
            pos = lean_fetch_argument(fn, pos, end, code, name, Infix, e, spec_pos);
            if (exit_pending()) return pos;
        }
        spec_pos++;
    }
    return pos;
}

[[gnu::noinline]] void run_native_plain(const Cell* fn) {
    run_native_inline(fn);
}

// Raises the missing argument at spec_pos (no value is left at end) as the
// generic fetch does.
[[gnu::noinline]] void lean_no_arg(const Cell* fn, Cell* end, const Cell* name, int spec_pos) {
    SpecList list = interp_cached_spec(fn);
    Call c{fn, end, end, nullptr, name, kApplyNone, false};
    fetch_argument(c, list.begin + spec_pos, spec_pos);
}

// Pushes the prefix call's argument at spec_pos from pos, as lean_argument
// does, raising no-arg when the code has none left: the position after it,
// or nullptr when an exit became pending.
[[gnu::always_inline]] inline Cell* lean_next_argument(const Cell* fn, Cell* pos, Cell* end,
                                                       Cell* code, const Cell* name, int spec_pos) {
    if (pos >= end) [[unlikely]] {
        lean_no_arg(fn, end, name, spec_pos);
        return nullptr;
    }
    Evaluated<Cell*> next = lean_argument<false>(pos, end, code);
    return next.exit_pending() ? nullptr : next.value();
}

// The leading arguments of a prefix call whose list has a lean shape, as
// lean_leading_arguments fetches them: each evaluated, then its type checked;
// the list is read only for a typeset that could refuse it.
[[gnu::always_inline]] inline Cell* lean_shaped_arguments(const Cell* fn, Cell* pos, Cell* end,
                                                          Cell* code, const Cell* name,
                                                          uint32_t shape) {
    int leading = shape_leading(shape);
    for (int i = 0; i < leading; i++) {
        Cell* next = lean_next_argument(fn, pos, end, code, name, i);
        if (!next) return pos;
        pos = next;
        const Cell* value = g_stack_top - 1;
        uint8_t type = type_of(value);
        if (type == T_UNSET || shape_typed(shape, i)) {
            // The record looked up again: the argument may have moved it.
            const Cell* entry = interp_cached_entries(function_record(fn)) + i;
            if (!typeset_has(entry, type)) [[unlikely]]
                lean_expect_arg(fn, name, value, i);
        }
    }
    return pos;
}

// A function's frame cells after its leading arguments, no refinement named,
// as push_refinements_absent pushes them: from the shape when it holds them.
inline void push_shaped_tail(const Cell* fn, uint32_t shape) {
    if (shape & kShapeLongTail) [[unlikely]] {
        SpecList list = interp_cached_spec(fn);
        push_refinements_absent(list, list.begin + shape_leading(shape));
        return;
    }
    for (int k = 0, cells = shape_tail(shape); k < cells; k++)
        stack_push(shape_tail_false(shape, k) ? &g_false_cell : &g_none_cell);
}

// either's branches, other than both blocks written in place: each pushed
// as an argument, then checked to be a block.
[[gnu::noinline]] Cell* either_branches(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                        const Cell* name) {
    for (int spec_pos = 1; spec_pos < 3; spec_pos++) {
        Cell* next = lean_next_argument(fn, pos, end, code, name, spec_pos);
        if (!next) return pos;
        pos = next;
        const Cell* value = g_stack_top - 1;
        if (type_of(value) != T_BLOCK) [[unlikely]]
            lean_expect_arg(fn, name, value, spec_pos);
    }
    return pos;
}

// either, begun with tracing off: lean_call's steps with its arguments
// known (cond [any-type!] true-blk [block!] false-blk [block!]), so they are
// gathered without the walk of its argument list; then its routine, in
// place: the branch evaluated in its frame.
[[gnu::noinline]] Evaluated<Cell*> lean_either(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                               const Cell* name, const Cell* word) {
    Cell* slot = stack_push(fn);
    stack_mark_interp_native(word);
    Cell* cond = lean_next_argument(fn, pos, end, code, name, 0);
    if (!cond) return pos;
    pos = cond;
    // Both branches written in place, with no word after them that could be
    // an operator: pushed as lean_argument pushes them, with no walk.
    if (end - pos >= 2 && type_of(pos) == T_BLOCK && type_of(pos + 1) == T_BLOCK &&
        (end - pos == 2 || type_of(pos + 2) != T_WORD) && !g_tracing) {
        cell_clear_new_line(stack_push(pos));
        cell_clear_new_line(stack_push(pos + 1));
        pos += 2;
    } else {
        pos = either_branches(fn, pos, end, code, name);
        if (exit_pending()) return pos;
    }
    if (g_tracing) [[unlikely]] {
        trace_fire(kTraceCall, code, pos, name, fn);
        run_native_plain(fn);
        if (exit_pending()) return pos;
    } else if (interp_walk<true, true>(either_branch()).exit_pending()) {
        return pos;
    }
    stack_unwind_keep();
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceReturn, code, pos, name, stack_top());
    *slot = *(g_stack_top - 1);
    g_stack_top = slot + 1;
    return pos;
}

// A native, action or function called by a word or a path that names no
// refinement under no apply mode, or a native or action applied infix, begun
// with tracing off: the generic steps without their general cases. Arguments
// before the first refinement are gathered, every refinement is absent. An
// infix call's frame starts at its left operand, already pushed.
// Not either (lean_prefix_call takes it). Made apart for functions, whose
// frame and body differ from a routine's. word is call_name_word(name), which
// a call by word has at hand.
template <bool Infix, bool Function = false>
[[gnu::noinline]] Evaluated<Cell*> lean_call(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                             const Cell* name, const Cell* word) {
    static_assert(!(Infix && Function));
    uint8_t t = type_of(fn);
    const Cell* record = function_record(fn);
    bool compiled = false;
    Cell* slot;
    if (Infix) {
        slot = --g_stack_top;
        mark_lean_native_frame(word);
        g_stack_top++;
    } else {
        slot = stack_push(fn);
        if (Function) {
            compiled = is_compiled(record);
            mark_function_frame(word, fn, compiled);
        } else {
            mark_lean_native_frame(word);
        }
    }
    uint32_t shape = Infix ? 0 : interp_call_shape(fn, record);
    if (shape & kShapeLean) {
        pos = lean_shaped_arguments(fn, pos, end, code, name, shape);
        if (exit_pending()) return pos;
        // One test for a frame of leading arguments only.
        if (Function && shape & (kShapeLongTail | kShapeTailCountMask)) push_shaped_tail(fn, shape);
    } else {
        // Looked up again: working out the shape may have built the list,
        // which can move the record.
        SpecList list = Infix ? interp_cached_spec(fn, record) : interp_cached_spec(fn);
        const Cell* e = list.begin;
        int spec_pos = 0;
        if (Infix) {
            // The left operand, in place, is only checked.
            if (e < list.end && type_of(e) == T_TYPESET && argument_class(e) != kArgReturn &&
                typeset_has(e, type_of(slot))) {
                e++;
                spec_pos = 1;
            } else {
                e = lean_first_entry(fn, pos, end, code, name, list, slot, &spec_pos);
            }
        }
        pos = lean_leading_arguments<Infix>(fn, pos, end, code, name, list, e, spec_pos);
        if (exit_pending()) return pos;
        if (Function) push_refinements_absent(list, e);
    }
    if (Function) {
        if (g_tracing) [[unlikely]]
            trace_fire(kTraceCall, code, pos, name, fn);
        if (run_function_body(fn, compiled).exit_pending()) return pos;
    } else if (g_tracing || !Infix || !infix_number_in_frame(t, native_entry(fn), slot)) {
        if (g_tracing) [[unlikely]]
            trace_fire(kTraceCall, code, pos, name, fn);
        run_native_inline(fn);
        if (exit_pending()) return pos;
    }
    lean_call_done(slot, code, pos, name);
    return pos;
}

// lean_call of a prefix call; either is told apart here, before lean_call's
// frame is set up, since it is the most frequent native called.
inline Evaluated<Cell*> lean_prefix_call(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                         const Cell* name, const Cell* word) {
    if (type_of(fn) == T_NATIVE && native_entry(fn) == kNativeEither)
        return lean_either(fn, pos, end, code, name, word);
    if (type_of(fn) == T_FUNCTION) return lean_call<false, true>(fn, pos, end, code, name, word);
    return lean_call<false>(fn, pos, end, code, name, word);
}

// A function called by a path that names refinements, begun with tracing
// off under no apply mode: gather_function's steps without the apply modes.
// The arguments before the first refinement, false or none in the cells of
// every refinement, its arguments and the locals; then each refinement in
// the order the path names it, its cell set to its truth and its arguments
// fetched into their cells.
// word is call_name_word(name), which a bound path has at hand.
[[gnu::noinline]] Evaluated<Cell*> lean_refined_call(const Cell* fn, Cell* pos, Cell* end,
                                                     Cell* code, const Cell* name,
                                                     const Cell* word) {
    Cell* slot = stack_push(fn);
    const Cell* record = function_record(fn);
    bool compiled = is_compiled(record);
    mark_function_frame(word, fn, compiled);
    Cell* base = stack_arguments();
    SpecList list = interp_cached_spec(fn, record);
    const Cell* e = list.begin;
    int spec_pos = 0;
    pos = lean_leading_arguments<false>(fn, pos, end, code, name, list, e, spec_pos);
    if (exit_pending()) return pos;
    push_refinements_absent(list, e);
    Cell* tail = block_rs_tail(name);
    for (Cell* p = path_first(name) + 1; p < tail; p++) {
        bool truth = true;
        if (type_of(p) == T_GET_WORD)
            truth = value_truth(context_get_fast(p));
        else if (type_of(p) != T_WORD)
            error_fire(kCatScript, err::script::kBadRefine, p);
        int index = 0, ordinal = 0;
        const Cell* entry = find_refinement(list, word_symbol(p), &index, &ordinal);
        if (!entry) error_fire(kCatScript, err::script::kNoRefine, word, p);
        Cell* flag = base + index;
        if (type_of(flag) == T_LOGIC && logic_get(flag))
            error_fire(kCatScript, err::script::kDupRefine, name);
        set_logic(flag, truth);
        // Its arguments, gathered as the leading ones are, then moved into
        // their cells (nothing reads those before the body runs).
        Cell* mark = g_stack_top;
        const Cell* a = entry + 1;
        pos = lean_leading_arguments<false>(fn, pos, end, code, name, list, a, index + 1);
        if (exit_pending()) return pos;
        for (Cell* v = mark; v < g_stack_top; v++)
            flag[1 + (v - mark)] = *v;
        g_stack_top = mark;
    }
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceCall, code, pos, name, fn);
    if (run_function_body(fn, compiled).exit_pending()) return pos;
    stack_unwind_keep();
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceReturn, code, pos, name, stack_top());
    *slot = *(g_stack_top - 1);
    g_stack_top = slot + 1;
    return pos;
}

// The routine of an operator that call_any_operator took, for operands
// its number case does not cover (or with tracing turned on by the right
// operand): the right operand's type checked, then the routine run in the
// operator's frame.
[[gnu::noinline]] Evaluated<> number_operator_routine(const Cell* op, Cell* word, Cell* after,
                                                      Cell* code, const Cell* right) {
    Cell fn = *op;
    cell_set_type(&fn, op_source_type(op));
    SpecList list = interp_cached_spec(&fn);
    const Cell* e = list.begin;
    for (int arguments = 0; e < list.end; e++) {
        if (argument_class(e) == kArgReturn) continue;
        if (arguments++ == 1) break;
    }
    XEL_ASSERT(e < list.end && type_of(e) == T_TYPESET);
    if (!typeset_has(e, type_of(right))) lean_expect_arg(&fn, word, right, 1);
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceCall, code, after, word, &fn);
    run_native_plain(&fn);
    return {};
}

} // namespace

[[gnu::noinline]] Evaluated<Cell*> call_any_operator(const Cell* op, Cell* pos, Cell* end,
                                                     Cell* code, Cell* left) {
    uint8_t t = type_of(left);
    Cell* operand = pos + 1;
    int number = infix_number_code(op);
    if ((t != T_INTEGER && t != T_FLOAT) || g_tracing || !g_interp_fast || number < 0 ||
        operand >= end)
        return call_operator(op, pos, end, code, left);
    // The operator as fetched: its right operand may rebind its word, and the
    // call applies what the word held when it was read.
    Cell fetched = *op;
    // The frame the call pushes, based at its left operand.
    g_stack_top = left;
    stack_mark_interp_native(pos);
    g_stack_top = left + 1;
    Evaluated<Cell*> next = lean_argument<true>(operand, end, code);
    if (next.exit_pending()) return next;
    const Cell* right = left + 1;
    if (g_tracing ||
        !(number < kInfixCompare ? ops_math_try(number, left, right, left)
                                 : ops_compare_try(number - kInfixCompare, left, right, left))) {
        if (number_operator_routine(&fetched, pos, next.value(), code, right).exit_pending())
            return next;
    }
    stack_unwind_keep();
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceReturn, code, next.value(), pos, stack_top());
    *left = *(g_stack_top - 1);
    g_stack_top = left + 1;
    return next;
}

Evaluated<Cell*> interp_call_by_word(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                     const Cell* word) {
    if (type_of(fn) == T_ROUTINE) return generic_call(fn, pos, end, code, word, kApplyNone, false);
    return lean_prefix_call(fn, pos, end, code, word, word);
}

Evaluated<Cell*> interp_call_by_path(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                     const Cell* path, const Cell* word, bool refined) {
    uint8_t t = type_of(fn);
    if (!refined && t != T_ROUTINE) return lean_prefix_call(fn, pos, end, code, path, word);
    if (refined && t == T_FUNCTION) return lean_refined_call(fn, pos, end, code, path, word);
    return generic_call(fn, pos, end, code, path, kApplyNone, false);
}

Evaluated<Cell*> interp_call_infix(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                   const Cell* word) {
    uint8_t t = type_of(fn);
    if (g_interp_fast && !g_tracing && (t == T_NATIVE || t == T_ACTION))
        return lean_call<true>(fn, pos, end, code, word, word);
    return generic_call(fn, pos, end, code, word, kApplyNone, true);
}

// An expression of a block that starts with a set-word, begun with tracing
// off and fast paths on, as interp_eval_expression evaluates it: the value's
// expression pushed by the lean walk, the word set, then the operators that
// follow (the set may have made the next word an operator).
Evaluated<Cell*> interp_set_word_statement(Cell* pos, Cell* end, Cell* code) {
    if (pos + 1 >= end) error_fire(kCatScript, err::script::kNeedValue, pos);
    Cell* start = g_stack_top;
    Evaluated<Cell*> next = lean_argument<false>(pos + 1, end, code);
    if (next.exit_pending()) return next;
    Cell* after = next.value();
    Cell* value = stack_top();
    if (type_of(value) == T_UNSET) error_fire(kCatScript, err::script::kNeedValue, pos);
    if (!context_set_fast(pos, value)) {
        Cell w = *pos;
        context_set(&w, value);
    }
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceSet, code, pos, pos, value);
    return statement_end(pos, after, end, code, start);
}

const Cell* call_name_word(const Cell* name) {
    if (!name) return g_word_anon_marker;
    if (type_of(name) == T_WORD) return name;
    if (type_of(name) == T_PATH) {
        const Cell* w = path_first(name);
        return type_of(w) == T_WORD ? w : g_word_anon_marker;
    }
    return g_word_anon_marker;
}

namespace {

// Every call the lean path does not take: the reference.
[[gnu::noinline]] Evaluated<Cell*> generic_call(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                                const Cell* name, int mode, bool infix) {
    Call c{fn, pos, end, code, name, mode, infix};
    if (!c.name && pos > buffer_head(code) && type_of(pos - 1) == T_WORD) c.name = pos - 1;
    const Cell* word = call_name_word(c.name);
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceOpen, code, pos, c.name, fn);

    Cell* slot;
    if (infix) {
        slot = --g_stack_top;
    } else {
        slot = stack_push(fn);
    }
    uint8_t t = type_of(fn);
    if (t == T_NATIVE || t == T_ACTION) {
        stack_mark_interp_native(word);
        if (infix) g_stack_top++;
        int32_t refs[kMaxRefinements];
        if (plain_call(c))
            gather_native_plain(c, refs);
        else
            gather_native(c, refs);
        if (exit_pending()) return c.pos;
        if (g_tracing) [[unlikely]]
            trace_fire(kTraceCall, code, c.pos, c.name, fn);
        if (!infix || g_tracing || !g_interp_fast ||
            !infix_number_in_frame(t, native_entry(fn), stack_arguments())) {
            NativeFn routine = t == T_NATIVE ? native_code(native_entry(fn))
                                             : g_actions_table[native_entry(fn) - 1];
            if (!routine) error_fire(kCatInternal, err::internal::kNotDone);
            routine(0, refs);
            if (exit_pending()) return c.pos;
        }
        stack_unwind_keep();
    } else if (t == T_FUNCTION) {
        mark_function_frame(word, fn, is_compiled(function_record(fn)));
        if (infix) g_stack_top++;
        if (plain_call(c) && !infix)
            gather_function_plain(c);
        else
            gather_function(c);
        if (exit_pending()) return c.pos;
        if (g_tracing) [[unlikely]]
            trace_fire(kTraceCall, code, c.pos, c.name, fn);
        if (interp_call_function(fn).exit_pending()) return c.pos;
        stack_unwind_keep();
    } else if (t == T_ROUTINE) {
        stack_mark_interp_native(word);
        if (infix) g_stack_top++;
        gather_function(c);
        if (exit_pending()) return c.pos;
        if (g_tracing) [[unlikely]]
            trace_fire(kTraceCall, code, c.pos, c.name, fn);
        if (interp_exec_routine(fn).exit_pending()) return c.pos;
        stack_unwind_keep();
    } else {
        error_fire(kCatInternal, err::internal::kNotDone);
    }
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceReturn, code, c.pos, c.name, stack_top());
    *slot = *(g_stack_top - 1);
    g_stack_top = slot + 1;
    return c.pos;
}

} // namespace

Evaluated<Cell*> interp_eval_code(const Cell* fn, Cell* pos, Cell* end, Cell* code,
                                  const Cell* name, int mode, bool infix) {
    if (g_interp_fast && !g_tracing && mode == kApplyNone && name) {
        uint8_t t = type_of(fn);
        if (infix) {
            if (t == T_NATIVE || t == T_ACTION)
                return lean_call<true>(fn, pos, end, code, name, call_name_word(name));
        } else if (t != T_ROUTINE && (type_of(name) == T_WORD || path_names_no_refinement(name))) {
            return lean_prefix_call(fn, pos, end, code, name, call_name_word(name));
        } else if (t == T_FUNCTION && type_of(name) == T_PATH) {
            return lean_refined_call(fn, pos, end, code, name, call_name_word(name));
        }
    }
    return generic_call(fn, pos, end, code, name, mode, infix);
}

Evaluated<> interp_call_function(const Cell* fn) {
    return run_function_body(fn, is_compiled(function_record(fn)));
}

} // namespace xel
