#include "runtime/interpreter/interp-trace.h"
#include "runtime/interpreter/interp-internal.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/interpreter/interp-spec.h"
#include "runtime/interpreter/interp.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

bool g_tracing = false;
bool g_tracer_installed = false;

namespace {

// The tracer lives in a root-block cell so the collector keeps it.
Cell* g_tracer = nullptr;
uint32_t g_trace_mask = 0;

struct EventName {
    uint32_t bit;
    const char* word;
};
constexpr EventName kEvents[] = {
    {kTraceInit, "init"},     {kTraceEnd, "end"},       {kTraceProlog, "prolog"},
    {kTraceEpilog, "epilog"}, {kTraceEnter, "enter"},   {kTraceExit, "exit"},
    {kTraceOpen, "open"},     {kTraceReturn, "return"}, {kTraceFetch, "fetch"},
    {kTracePush, "push"},     {kTraceSet, "set"},       {kTraceCall, "call"},
    {kTraceError, "error"},   {kTraceThrow, "throw"},   {kTraceCatch, "catch"},
    {kTraceExpr, "expr"},
};

const char* event_word(uint32_t event) {
    for (const EventName& e : kEvents)
        if (e.bit == event) return e.word;
    return "expr";
}

bool takes_ref(uint32_t event) {
    return event == kTraceSet || event == kTraceEpilog || event == kTraceProlog ||
           event == kTraceReturn || event == kTraceCall;
}

} // namespace

void trace_init() {
    g_tracing = false;
    g_tracer_installed = false;
    g_tracer = root_alloc_tail_cell();
    set_none(g_tracer);
}

uint32_t trace_event_mask(const Cell* tracer) {
    const Cell* body = function_record(tracer) + kRecordBody;
    if (type_of(body) != T_BLOCK || block_length_at(const_cast<Cell*>(body)) < 1) return 0x1FFFF;
    const Cell* first = block_rs_head(body);
    if (type_of(first) != T_BLOCK) return 0x1FFFF;
    uint32_t mask = 0;
    Cell filter = *first;
    for (auto i = static_cast<uint32_t>(block_index(&filter)); i < block_buffer_length(&filter);
         i++) {
        const Cell* w = block_cell_at(&filter, i);
        if (type_of(w) != T_WORD) continue;
        uint32_t canon = symbol_resolve(word_symbol(w));
        for (const EventName& e : kEvents)
            if (symbol_resolve(symbol_make(e.word)) == canon) mask |= e.bit;
    }
    return mask;
}

void trace_install(const Cell* tracer) {
    *g_tracer = *tracer;
    g_trace_mask = trace_event_mask(tracer);
    g_tracer_installed = true;
    g_tracing = true;
    trace_fire(kTraceInit, nullptr, nullptr, nullptr, nullptr);
}

void trace_uninstall() {
    uint32_t pending = exit_take();
    // The tracer is gone even when its end event raises an error.
    struct Off {
        ~Off() {
            set_none(g_tracer);
            g_tracing = false;
            g_tracer_installed = false;
        }
    } off;
    trace_fire(kTraceEnd, nullptr, nullptr, nullptr, nullptr);
    exit_set(pending);
}

void trace_fire(uint32_t event, const Cell* code, const Cell* pos, const Cell* ref,
                const Cell* value) {
    if (!g_tracing || !(g_trace_mask & event) || type_of(g_tracer) != T_FUNCTION) return;
    Cell* saved_args = g_stack_args;
    Cell* saved_top = g_stack_top;
    CallFrame* saved_frames = g_frames_top;
    Cell tracer = *g_tracer;

    stack_push_cell();
    stack_mark_interp_func(g_word_interp_callback_marker, function_context(&tracer));
    Cell* w = stack_push(word_load(event_word(event)));
    cell_clear_new_line(w);
    if (code) {
        Cell* c = stack_push(code);
        cell_clear_new_line(c);
    } else {
        stack_push(&g_none_cell);
    }
    int32_t offset = -1;
    if (code && pos && type_of(code) != T_NONE) {
        Cell* head = buffer_head(code);
        Cell* tail = block_rs_tail(code);
        if (pos >= head && pos <= tail) offset = static_cast<int32_t>(pos - head);
    }
    set_integer(stack_push_cell(), offset);
    stack_push(value && type_of(value) ? value : &g_none_cell);
    stack_push(ref && takes_ref(event) ? ref : &g_none_cell);
    Cell* frame = stack_push_cell();
    *frame = Cell{T_PAIR, static_cast<uint32_t>(saved_args - g_stack_base),
                  static_cast<uint32_t>(saved_top - g_stack_base), 0};
    SpecList list = interp_cached_spec(&tracer);
    if (list.trailing > 0) {
        stack_push(&g_false_cell);
        for (int i = 1; i < list.trailing; i++)
            stack_push(&g_none_cell);
    }
    // An error or exit of the tracer has unwound the stacks to its target
    // already: they are put back only after a normal return.
    g_tracing = false;
    struct Resume {
        ~Resume() { g_tracing = true; }
    } resume;
    if (interp_call_function(&tracer).exit_pending()) exit_raise_pending();
    g_stack_args = saved_args;
    g_stack_top = saved_top;
    g_frames_top = saved_frames;
}

} // namespace xel
