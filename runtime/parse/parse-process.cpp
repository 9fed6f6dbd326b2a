// One parse call: the engine's state, the machine's loop, and the result.
#include "runtime/datatypes/constants.h"
#include "runtime/parse/parse-internal.h"
#include "runtime/parse/parse.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

// Cuts both stacks back to where this call found them, however it ends.
struct StackGuard {
    ParseStackMark mark = parse_save_stacks();
    ~StackGuard() { parse_restore_stacks(mark); }
};

void run(parse::Engine& e, const Cell* rules) {
    using parse::Step;
    Step step = parse::push_block(e, rules);
    while (!e.stopped && !exit_pending()) {
        switch (step) {
        case Step::kFetch:
            step = parse::fetch(e);
            break;
        case Step::kCheck:
            step = parse::check_pending(e);
            break;
        case Step::kPopBlock:
            step = parse::pop_block(e);
            break;
        case Step::kFinish:
        case Step::kExit:
            return;
        }
    }
}

} // namespace

void parse_process(const Cell* input, const Cell* rules, bool strict, uint32_t limit,
                   const Cell* callback) {
    StackGuard guard;
    parse::Engine e{};
    e.strict = strict;
    e.limit = limit;
    e.callback = *callback;
    e.tracing = type_of(callback) == T_FUNCTION;
    e.rule_base = guard.mark.rules;
    e.input_base = guard.mark.inputs;
    e.collect_slot = -1;
    e.collected = g_none_cell;
    Cell* arguments_top = g_stack_top;

    Cell source = *input;
    Cell block = *rules;
    parse::input_push(&source);
    parse::set_input(e, &source);
    run(e, &block);
    if (exit_pending()) return;

    g_stack_top = arguments_top;
    bool stopped = e.stopped;
    if (!stopped) {
        e.result = e.result && e.pos >= parse::input_end(e);
        parse_fire_event(e, parse::Event::kEnd);
        if (exit_pending()) return;
    }
    Cell* out = stack_arguments();
    if (e.has_collected && !stopped)
        *out = e.collected;
    else
        set_logic(out, e.result);
}

} // namespace xel
