// The change events of objects: the event record, and the calls of
// on-change* and on-deep-change*.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/interpreter/interp.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

Cell* record_cells(Offset record) {
    return at<Cell>(buffer_of(record)->head);
}

int32_t handler_index(const Cell* entry) {
    return static_cast<int16_t>(entry->data2 >> 16);
}

uint32_t handler_locals(const Cell* entry) {
    return entry->data2 & 0xFFFF;
}

} // namespace

int32_t object_event_handler(const Cell* object, EventSlot slot) {
    return handler_index(&record_cells(object_events(object))[slot]);
}

namespace {

Cell record_entry(int32_t index, uint32_t locals, Offset spec) {
    uint32_t word2 = (static_cast<uint32_t>(index) << 16) | (locals & 0xFFFF);
    return Cell{T_PAIR, 0, word2, spec};
}

// The entry of one handler word of the context; a word that holds no function
// raises bad-field-set.
Cell handler_entry(Offset ctx, const Cell* handler_word) {
    int32_t i = context_find_word(ctx, word_symbol(handler_word), true);
    if (i < 0) return Cell{T_PAIR, 0, kNoHandler, 0};
    Cell value = *context_value_at(ctx, static_cast<uint32_t>(i));
    if (type_of(&value) != T_FUNCTION && type_of(&value) != T_ROUTINE) {
        Cell word = *context_word_at(ctx, static_cast<uint32_t>(i));
        word.header = T_WORD;
        Cell datatype = datatype_cell(type_of(&value));
        error_fire(kCatScript, err::script::kBadFieldSet, &word, &datatype);
    }
    auto locals =
        static_cast<uint32_t>(function_count_locals(function_spec_node(&value), 0, false));
    return record_entry(i, locals, function_spec_node(&value));
}

// Handlers run with tracing off: the tracer follows the user's code, not the
// run-time's callbacks.
struct TracingOff {
    bool saved = g_tracing;
    TracingOff() { g_tracing = false; }
    ~TracingOff() { g_tracing = saved; }
};

// Calls the handler of one record slot with the arguments that push() pushes,
// in a function frame named by the handler's word.
template <class Push>
void call_handler(const Cell* object, uint32_t slot, const Cell* handler, Push push) {
    Offset ctx = object_context(object);
    Offset record = object_events(object);
    Cell entry = record_cells(record)[slot];
    Cell fn = *handler;
    uint32_t locals = handler_locals(&entry);
    if (entry.data3 != function_spec_node(&fn)) {
        // The handler was replaced since the record was built.
        locals = static_cast<uint32_t>(function_count_locals(function_spec_node(&fn), 0, false));
        record_cells(record)[slot] =
            record_entry(handler_index(&entry), locals, function_spec_node(&fn));
    }
    Cell name = *context_word_at(ctx, static_cast<uint32_t>(handler_index(&entry)));
    name.header = T_WORD;

    Cell* saved_args = g_stack_args;
    Cell* saved_top = g_stack_top;
    CallFrame* saved_frames = g_frames_top;
    stack_push_cell();
    stack_mark_interp_func(&name, function_context(&fn));
    push();
    if (locals > 0) function_push_unused_refinement(locals);
    bool exited;
    {
        TracingOff off;
        exited = interp_call_function(&fn).exit_pending();
    }
    // The writer that fired the event cannot stop early: a break, continue
    // or throw out of the handler travels as a C++ throw.
    if (exited) exit_raise_pending();
    g_stack_args = saved_args;
    g_stack_top = saved_top;
    g_frames_top = saved_frames;
}

// The handler's word argument: a word! bound to the object (a set-word or a
// word bound elsewhere is given as such a copy).
Cell word_in_object(const Cell* word, Offset ctx) {
    Cell w = *word;
    w.header = T_WORD;
    if (word_context(&w) == ctx && word_index(&w) >= 0) return w;
    int32_t i = context_find_word(ctx, word_symbol(&w), true);
    if (i >= 0) {
        w.data1 = ctx;
        w.data3 = static_cast<uint32_t>(i);
    }
    return w;
}

} // namespace

Offset object_build_event_record(Offset ctx) {
    Cell change = handler_entry(ctx, g_word_on_change_star);
    Cell deep = handler_entry(ctx, g_word_on_deep_change_star);
    if (change.data2 >= kNoHandler && deep.data2 >= kNoHandler) return 0;
    Cell record;
    block_make_at(&record, 2);
    block_append_copy(&record, &change);
    block_append_copy(&record, &deep);
    return record.data2;
}

void object_attach_events(Cell* object) {
    Offset ctx = object_context(object);
    Offset record = object_build_event_record(ctx);
    object->data3 = record;
    *context_self(ctx) = *object;
    if (!record || record_cells(record)[kEventOnDeepChange].data2 >= kNoHandler) return;
    Cell owner = *object;
    Cell word = *g_word_on_deep_change_star;
    ownership_set_owner_flagged(&owner, &owner, &word);
}

void object_fire_on_change(Cell* object, Cell* word, Cell* old_value, Cell* new_value) {
    Cell obj = *object;
    Offset record = object_events(&obj);
    if (!record) return;
    Cell entry = record_cells(record)[kEventOnChange];
    if (entry.data2 >= kNoHandler) return;
    Offset ctx = object_context(&obj);
    Cell handler = *context_value_at(ctx, static_cast<uint32_t>(handler_index(&entry)));
    if (type_of(&handler) != T_FUNCTION)
        error_fire(kCatScript, err::script::kInvalidObjEvt, &handler);
    Cell w = word_in_object(word, ctx);
    Cell old_copy = *old_value;
    Cell new_copy = *new_value;
    call_handler(&obj, kEventOnChange, &handler, [&] {
        stack_push(&w);
        stack_push(&old_copy);
        stack_push(&new_copy);
    });
}

void object_fire_on_deep_change(Cell* owner, Cell* word, Cell* target, Cell* action,
                                Cell* new_value, int index, int part) {
    Cell obj = *owner;
    Offset record = object_events(&obj);
    if (!record) error_fire(kCatScript, err::script::kInvalidObjEvt, &obj);
    Cell entry = record_cells(record)[kEventOnDeepChange];
    if (entry.data2 >= kNoHandler) return;
    Offset ctx = object_context(&obj);
    Cell handler = *context_value_at(ctx, static_cast<uint32_t>(handler_index(&entry)));
    if (type_of(&handler) != T_FUNCTION) return;
    Cell w = *word;
    Cell series = *target;
    Cell act = *action;
    Cell fresh = new_value ? *new_value : g_none_cell;
    call_handler(&obj, kEventOnDeepChange, &handler, [&] {
        stack_push(&obj);
        stack_push(&w);
        stack_push(&series);
        stack_push(&act);
        stack_push(&fresh);
        set_integer(stack_push_cell(), index);
        set_integer(stack_push_cell(), part);
    });
}

} // namespace xel
