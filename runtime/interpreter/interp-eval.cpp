#include <cstdlib>
#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-internal.h"
#include "runtime/interpreter/interp-operators.h"
#include "runtime/interpreter/interp-plan.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

Cell g_current_code{T_UNSET, 0, 0, 0};
bool g_interp_fast = true;
volatile std::sig_atomic_t g_interrupt_requested = 0;

namespace {

// The header of a walk's eval frame, named <body>: that word's symbol is
// fixed, so its part of the header is worked out once rather than at every
// walk (its context node is read each time: nodes move).
uint32_t g_body_frame_header = 0;

// Restores the block under evaluation however the walk ends. A walk that
// does not set it (the library's blocks) finds it as it left it, so the
// restore is unconditional: a store is cheaper than the test.
struct CurrentCodeGuard {
    // Copied as bytes: a Cell member was split into its four words, a dozen
    // instructions per block walk to save and as many to restore.
    uint64_t saved[2];
    static_assert(sizeof saved == sizeof(Cell));
    CurrentCodeGuard() { std::memcpy(saved, &g_current_code, sizeof saved); }
    ~CurrentCodeGuard() { std::memcpy(&g_current_code, saved, sizeof saved); }
};

Evaluated<Cell*> push_word_value(Cell* pos, Cell* end, Cell* code, bool literal_functions) {
    const Cell* v = context_get_fast(pos);
    uint8_t t = type_of(v);
    if (is_callable(t) && !literal_functions) {
        Cell fn = *v;
        return interp_eval_code(&fn, pos + 1, end, code, pos, kApplyNone, false);
    }
    if (t == T_UNSET) error_fire(kCatScript, err::script::kNoValue, pos);
    if (t == T_OP) error_fire(kCatScript, err::script::kNoOpArg, pos);
    stack_push(v);
    return pos + 1;
}

// An expression of a block that starts with a word, begun with tracing off
// and the fast paths on, as interp_eval_expression evaluates it, a level less
// deep: the word's value pushed or its function called, then the operators
// that follow. Inlined in the walk's loops: a call each was measurable.
[[gnu::always_inline]] inline Evaluated<Cell*> word_statement(Cell* pos, Cell* end, Cell* code) {
    const Cell* v = context_get_fast(pos);
    uint8_t t = type_of(v);
    Cell* start = g_stack_top;
    Cell* after = pos + 1;
    if (is_callable(t)) {
        Cell fn = *v;
        Evaluated<Cell*> next = interp_call_by_word(&fn, pos + 1, end, code, pos);
        if (next.exit_pending()) return next;
        after = next.value();
    } else if (t == T_UNSET || t == T_OP) {
        return interp_eval_expression(pos, end, code, false, false, false);
    } else {
        stack_push(v);
    }
    return statement_end(pos, after, end, code, start);
}

// The same for a paren (its block evaluated) or a path (its value pushed or
// its function called).
[[gnu::always_inline]] inline Evaluated<Cell*> paren_or_path_statement(Cell* pos, Cell* end,
                                                                       Cell* code) {
    Cell* start = g_stack_top;
    Cell* after = pos + 1;
    if (type_of(pos) == T_PAREN) {
        // The walk copies the cell before anything runs: no copy here.
        if (interp_eval_block(pos, false).exit_pending()) return pos;
    } else {
        Evaluated<Cell*> next = interp_eval_bound_path(pos, end, code, false);
        if (next.exit_pending()) return next;
        if (!next.value()) {
            next = interp_eval_path(pos, end, code, false, false);
            if (next.exit_pending()) return next;
        }
        after = next.value();
    }
    return statement_end(pos, after, end, code, start);
}

bool catch_on_stack() {
    for (CallFrame* f = g_frames_top; f > g_frames_base; f--)
        if (frame_kind(f - 1) == kFrameCatch) return true;
    return false;
}

// Ctrl+C: what halt does, thrown from here. With no catch on the stack
// there is nothing to return to, and the request is dropped.
[[gnu::noinline]] Evaluated<> take_interrupt() {
    g_interrupt_requested = 0;
    if (!catch_on_stack()) return {};
    static const char kHalt[] = "throw/name 'halt-request 'console";
    Cell text = *string_load(reinterpret_cast<const uint8_t*>(kHalt), sizeof kHalt - 1, 0);
    Cell halt;
    lexer_load_string(&halt, &text, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
    return interp_eval_block(&halt, false);
}

// The end of every walk: the exit event, then the frame popped with the
// result kept (pass: copied to the caller's result slot).
inline void walk_done(Cell* code, Cell* end, bool pass) {
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceExit, code, end, nullptr, stack_arguments());
    if (pass)
        stack_unwind_last();
    else
        stack_unwind_keep();
}

// A walk the lean loop does not take, from its start or from the expression
// at pos: fast paths off, tracing on (even when switched on mid-walk) or a
// Ctrl+C to take. The general reference loop; plan steps still run while
// the fast paths are on and tracing is off.
struct WalkState {
    Cell* code;
    SeriesBuf* running;
    Cell* head;
    Cell* pos;
    Cell* end;
    PlanHold plan;
    bool own;
    bool pass;
};
[[gnu::noinline]] Evaluated<> walk_general(const WalkState& w, bool from_start) {
    Cell* code = w.code;
    SeriesBuf* running = w.running;
    Cell* head = w.head;
    Cell* pos = w.pos;
    Cell* end = w.end;
    PlanHold plan = w.plan;
    bool own = w.own;
    if (from_start) {
        if (g_tracing) [[unlikely]]
            trace_fire(kTraceEnter, code, pos, nullptr, nullptr);
        if (pos >= end) {
            if (g_interrupt_requested) [[unlikely]]
                if (take_interrupt().exit_pending()) return {};
            set_unset(stack_arguments());
            stack_keep();
            walk_done(code, end, w.pass);
            return {};
        }
        if (own) {
            g_current_code = *code;
            if (block_index(code) < 0) [[unlikely]]
                series_set_index(&g_current_code, 0);
        }
        if (g_interp_fast && !g_tracing && (running->flags & kPlanState) != kPlanState &&
            g_plan_mode != kPlansOff)
            plan = plan_for(running, head, end);
    }
    while (true) {
        if (g_interrupt_requested) [[unlikely]]
            if (take_interrupt().exit_pending()) return {};
        uint8_t t = g_interp_fast && !g_tracing ? type_of(pos) : T_UNSET;
        PlanRun planned =
            plan.slot && t != T_UNSET ? plan_step(plan, head, pos, end, code) : PlanRun{};
        if (planned.after && !planned.ran_code) {
            // A number step runs no code: the block is as it was.
            pos = planned.after;
            if (pos >= end) break;
            if (own) series_set_index(&g_current_code, static_cast<int32_t>(pos - head));
            stack_reset();
            continue;
        }
        // A statement, or a plan's call step, runs code: an exit may be
        // pending after it, and the block may have been cut short.
        if (planned.after) {
            if (exit_pending()) return {};
            pos = planned.after;
        } else {
            Evaluated<Cell*> next =
                t == T_WORD       ? word_statement(pos, end, code)
                : t == T_SET_WORD ? interp_set_word_statement(pos, end, code)
                : t == T_PAREN || t == T_PATH
                    ? paren_or_path_statement(pos, end, code)
                    : interp_eval_expression(pos, end, code, false, false, false);
            if (next.exit_pending()) return {};
            pos = next.value();
        }
        if (pos >= end) break;
        // A block cut short while it runs (clear, remove) ends at its new
        // tail: the cells past it name series the collector no longer keeps.
        // A block that grew into a new buffer runs on in the old copy.
        if (block_buffer(code) == running && at<Cell>(running->tail) < end) {
            end = at<Cell>(running->tail);
            if (pos >= end) break;
        }
        if (own) series_set_index(&g_current_code, static_cast<int32_t>(pos - head));
        stack_reset();
    }
    walk_done(code, end, w.pass);
    return {};
}

} // namespace

void interp_init() {
    g_current_code = g_unset_cell;
    g_body_frame_header = word_symbol(g_word_body_marker) << 8 | kHeaderEval;
    collector_add_root_callback([] { collector_mark_cells(&g_current_code, &g_current_code + 1); });
    const char* fast = std::getenv("XEL_INTERP_FAST");
    g_interp_fast = !fast || std::strcmp(fast, "0") != 0;
    plan_init();
    trace_init();
}

template <bool Pass, bool Branch> Evaluated<> interp_walk(Cell* block) {
    static_assert(Pass || !Branch);
    stack_mark_header(g_body_frame_header, word_context(g_word_body_marker));
    Cell code = *block;
    SeriesBuf* running = block_buffer(&code);
    // The walk stays in the buffer it began in, even when the block grows
    // into a new one; indexes are counted from its head.
    Cell* head = at<Cell>(running->head);
    Cell* pos = walk_start(head, &code);
    Cell* end = at<Cell>(running->tail);
    // The library's own code is never what an error points at: the script's
    // expression that called into it is.
    bool own = !(running->flags & kFlagLibrary);
    // A branch of one plain value ([n]), most often a recursion's leaf, runs
    // no code and can raise nothing: the value is left in the frame without
    // the loop, and the current code is not touched. What could tell
    // (tracing, Ctrl+C, a push that would fill the stack and raise) goes the
    // loop's way.
    if constexpr (Branch) {
        if (end - pos == 1 && g_interp_fast && !g_tracing && !g_interrupt_requested &&
            g_stack_top + 1 < g_stack_end) {
            if (const Cell* value = lone_value(pos)) {
                Cell* pushed = stack_set_last_keep(value);
                if (value == pos) cell_clear_new_line(pushed);
                stack_unwind_last();
                return {};
            }
        }
    }
    CurrentCodeGuard guard;
    // One test here and one after each expression send every walk that is not
    // lean (fast paths on, fixed at start-up; tracing off; no Ctrl+C to take)
    // to the general loop, which goes on from where the lean one stopped.
    if (!g_interp_fast || g_tracing || g_interrupt_requested) [[unlikely]]
        return walk_general({&code, running, head, pos, end, PlanHold{}, own, Pass}, true);
    if (pos >= end) {
        set_unset(stack_arguments());
        stack_keep();
        walk_done(&code, end, Pass);
        return {};
    }
    // The current code's index names the expression under evaluation: set
    // here for the first, then after each step forward.
    if (own) {
        g_current_code = code;
        if (block_index(&code) < 0) [[unlikely]]
            series_set_index(&g_current_code, 0);
    }
    PlanHold plan = (running->flags & kPlanState) != kPlanState && g_plan_mode != kPlansOff
                        ? plan_for(running, head, end)
                        : PlanHold{};
    while (true) {
        PlanRun planned = plan.slot ? plan_step(plan, head, pos, end, &code) : PlanRun{};
        if (planned.after && !planned.ran_code) {
            // A number step runs no code: the block is as it was.
            pos = planned.after;
            if (pos >= end) break;
        } else {
            // A statement, or a plan's call step, runs code: an exit may be
            // pending after it, and the block may have been cut short.
            if (planned.after) {
                if (exit_pending()) return {};
                pos = planned.after;
            } else {
                uint8_t t = type_of(pos);
                Evaluated<Cell*> next =
                    t == T_WORD       ? word_statement(pos, end, &code)
                    : t == T_SET_WORD ? interp_set_word_statement(pos, end, &code)
                    : t == T_PAREN || t == T_PATH
                        ? paren_or_path_statement(pos, end, &code)
                        : interp_eval_expression(pos, end, &code, false, false, false);
                if (next.exit_pending()) return {};
                pos = next.value();
            }
            if (pos >= end) break;
            if (block_buffer(&code) == running && at<Cell>(running->tail) < end) {
                end = at<Cell>(running->tail);
                if (pos >= end) break;
            }
        }
        if (own) series_set_index(&g_current_code, static_cast<int32_t>(pos - head));
        stack_reset();
        if (g_interrupt_requested || g_tracing) [[unlikely]]
            return walk_general({&code, running, head, pos, end, plan, own, Pass}, false);
    }
    walk_done(&code, end, Pass);
    return {};
}

template Evaluated<> interp_walk<true>(Cell* block);
template Evaluated<> interp_walk<false>(Cell* block);
template Evaluated<> interp_walk<true, true>(Cell* block);

bool interp_code_near(Cell* out) {
    uint8_t t = type_of(&g_current_code);
    if (t != T_BLOCK && t != T_PAREN) return false;
    *out = g_current_code;
    cell_set_type(out, T_BLOCK);
    cell_clear_new_line(out);
    return true;
}

Evaluated<Cell*> interp_eval_expression(Cell* pos, Cell* end, Cell* code, bool no_infix, bool keep,
                                        bool literal_functions) {
    Cell* start = g_stack_top;
    Cell* expr = pos;
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceFetch, code, pos, nullptr, pos);

    switch (type_of(pos)) {
    case T_WORD: {
        Evaluated<Cell*> next = push_word_value(pos, end, code, literal_functions);
        if (next.exit_pending()) return next;
        pos = next.value();
        break;
    }
    case T_SET_WORD: {
        if (pos + 1 >= end) error_fire(kCatScript, err::script::kNeedValue, pos);
        Cell* word = pos;
        Evaluated<Cell*> next = interp_eval_expression(pos + 1, end, code, false, true, false);
        if (next.exit_pending()) return next;
        pos = next.value();
        Cell* value = stack_top();
        if (type_of(value) == T_UNSET) error_fire(kCatScript, err::script::kNeedValue, word);
        if (!g_interp_fast || !context_set_fast(word, value)) {
            Cell w = *word;
            context_set(&w, value);
        }
        if (g_tracing) [[unlikely]]
            trace_fire(kTraceSet, code, word, word, value);
        break;
    }
    case T_GET_WORD:
        stack_push(context_get_fast(pos));
        pos++;
        break;
    case T_LIT_WORD: {
        Cell* c = stack_push(pos);
        cell_set_type(c, T_WORD);
        cell_clear_new_line(c);
        pos++;
        break;
    }
    case T_PAREN: {
        Cell paren = *pos;
        if (interp_eval_block(&paren, false).exit_pending()) return pos;
        pos++;
        break;
    }
    case T_PATH:
    case T_GET_PATH: {
        bool get = type_of(pos) == T_GET_PATH;
        Evaluated<Cell*> next = g_interp_fast && !g_tracing
                                    ? interp_eval_bound_path(pos, end, code, get)
                                    : Evaluated<Cell*>(nullptr);
        if (next.exit_pending()) return next;
        if (!next.value()) {
            next = interp_eval_path(pos, end, code, false, get);
            if (next.exit_pending()) return next;
        }
        pos = next.value();
        break;
    }
    case T_SET_PATH: {
        if (pos + 1 >= end) error_fire(kCatScript, err::script::kNeedValue, pos);
        Evaluated<Cell*> next = interp_eval_path(pos, end, code, true, false);
        if (next.exit_pending()) return next;
        pos = next.value();
        break;
    }
    case T_LIT_PATH: {
        Cell* c = stack_push(pos);
        cell_set_type(c, T_PATH);
        cell_clear_new_line(c);
        pos++;
        break;
    }
    case T_ISSUE:
        if (pos + 1 < end && type_of(pos + 1) == T_BLOCK &&
            (symbol_resolve(word_symbol(pos)) == g_sym_system ||
             symbol_resolve(word_symbol(pos)) == g_sym_system_global))
            error_fire(kCatInternal, err::internal::kXelSystem);
        stack_push(pos);
        pos++;
        break;
    case T_NATIVE:
    case T_ACTION:
    case T_FUNCTION:
    case T_ROUTINE:
        if (literal_functions) {
            stack_push(pos);
            pos++;
        } else {
            Cell fn = *pos;
            Evaluated<Cell*> next =
                interp_eval_code(&fn, pos + 1, end, code, nullptr, kApplyNone, false);
            if (next.exit_pending()) return next;
            pos = next.value();
        }
        break;
    case T_OP:
        error_fire(kCatInternal, err::internal::kNotDone);
    default: {
        Cell* c = stack_push(pos);
        cell_clear_new_line(c);
        pos++;
        break;
    }
    }
    if (g_tracing) [[unlikely]]
        trace_fire(kTracePush, code, pos, nullptr, stack_top());

    if (!no_infix) {
        Evaluated<Cell*> next = apply_operators(pos, end, code, start);
        if (next.exit_pending()) return next;
        pos = next.value();
    }
    if (!keep) {
        stack_set_last_keep(start);
        if (g_tracing) [[unlikely]]
            trace_fire(kTraceExpr, code, expr, nullptr, stack_arguments());
    }
    return pos;
}

[[gnu::noinline]] Evaluated<Cell*> call_operator(const Cell* op, Cell* pos, Cell* end, Cell* code,
                                                 Cell* left) {
    if (g_tracing) [[unlikely]]
        trace_fire(kTraceFetch, code, pos, nullptr, pos);
    g_stack_top = left + 1;
    Cell fn = *op;
    cell_set_type(&fn, op_source_type(op));
    return interp_call_infix(&fn, pos + 1, end, code, pos);
}

Evaluated<int32_t> interp_do_next(Cell* block) {
    Cell code = *block;
    Cell* head = buffer_head(&code);
    Cell* pos = walk_start(head, &code);
    Cell* end = block_rs_tail(&code);
    if (pos >= end) {
        set_unset(stack_arguments());
        return block_index(&code);
    }
    Evaluated<Cell*> next = interp_eval_expression(pos, end, &code, false, false, false);
    if (next.exit_pending()) return 0;
    return static_cast<int32_t>(next.value() - head);
}

} // namespace xel
