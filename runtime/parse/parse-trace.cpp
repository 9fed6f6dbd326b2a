// The trace callback: a function! called with the event word, the match
// flag, the rule block at the rule being run, the input at the position and
// the rule stack; answering false stops the parse.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/function/spec-cache.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/interpreter/interp-spec.h"
#include "runtime/interpreter/interp.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel::parse {

namespace {

const Cell* event_word(Event event) {
    switch (event) {
    case Event::kPush:
        return g_word_push;
    case Event::kPop:
        return g_word_pop;
    case Event::kFetch:
        return g_word_fetch;
    case Event::kMatch:
        return g_word_match;
    case Event::kIterate:
        return g_word_iterate;
    case Event::kParen:
        return g_word_paren;
    default:
        return g_gword_end;
    }
}

// The rule stack of this call as a new block: the callback may change what
// it is given without upsetting the engine.
Cell stack_copy(const Engine& e) {
    Cell copy;
    block_make_at(&copy, static_cast<int>(rule_height() - e.rule_base));
    for (uint32_t i = e.rule_base; i < rule_height(); i++) {
        Cell c = rule_cells()[i];
        block_append_copy(&copy, &c);
    }
    return copy;
}

} // namespace

} // namespace xel::parse

namespace xel {

using namespace parse;

void parse_fire_event(Engine& e, Event event) {
    if (!e.tracing || e.stopped) return;
    if (e.group < rule_height() && e.group >= e.rule_base)
        series_set_index(&rule_cells()[e.group], static_cast<int32_t>(rule_pos(e)));
    Cell callback = e.callback;
    Cell args[5];
    args[0] = *event_word(event);
    cell_clear_new_line(&args[0]);
    set_logic(&args[1], e.result);
    args[2] = e.rules;
    args[3] = input_at(e, e.pos);
    args[4] = stack_copy(e);

    Cell* saved_args = g_stack_args;
    Cell* saved_top = g_stack_top;
    CallFrame* saved_frames = g_frames_top;
    stack_push(&g_none_cell);
    stack_mark_interp_func(g_word_parse_callback_marker, function_context(&callback));
    // The arguments fill the callback's own argument slots; refinements are
    // off and any further argument or local is none.
    SpecList list = interp_cached_spec(&callback);
    int given = 0;
    bool refinements = false;
    for (const Cell* entry = list.begin; entry < list.end; entry++) {
        if (type_of(entry) != T_TYPESET) {
            refinements = true;
            stack_push(&g_false_cell);
        } else if (argument_class(entry) != kArgReturn) {
            stack_push(!refinements && given < 5 ? &args[given++] : &g_none_cell);
        }
    }
    for (int i = 0; i < list.trailing; i++)
        stack_push(i == 0 ? &g_false_cell : &g_none_cell);
    // A pending exit has put the stacks where its target wants them.
    if (interp_call_function(&callback).exit_pending()) return;
    Cell answer = *stack_arguments();
    g_stack_args = saved_args;
    g_stack_top = saved_top;
    g_frames_top = saved_frames;
    if (!value_truth(&answer)) e.stopped = true;
}

} // namespace xel
