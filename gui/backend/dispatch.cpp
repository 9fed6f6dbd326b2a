// Input becomes events: each GTK input record is turned into the events the
// design raises for it, each filled into the backend's event value and handed
// to system/view/awake under a try/all frame; the loop counters let closing
// the last window of a view end the loop that waits for it.
#include <cstring>
#include <string>

#include "gui/backend/backend.h"
#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "platform/gui/gtk-gui.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/event/event-cell.h"
#include "runtime/datatypes/event/event.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/interpreter/interp-trace.h"
#include "runtime/interpreter/interp.h"
#include "runtime/printing/print-hooks.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

int g_loop_depth = 0;
int g_pending_exits = 0;
int g_quit_posted = 0;
// A throw that must leave the run-time (quit) waits here while GTK's code is
// on the stack, and is thrown again once the loop iteration returned.
uint32_t g_deferred_throw = 0;

const Cell* field_of(const Cell* object, const char* name) {
    if (type_of(object) != T_OBJECT) return nullptr;
    int32_t i = context_find_word(object_context(object), word_symbol(word_load(name)), true);
    return i < 0 ? nullptr : context_value_at(object_context(object), static_cast<uint32_t>(i));
}

// system/view/awake, or none.
Cell awake_function() {
    Cell system = *context_get(word_load("system"));
    const Cell* view = field_of(&system, "view");
    if (!view) return g_none_cell;
    Cell v = *view;
    const Cell* awake = field_of(&v, "awake");
    return awake ? *awake : g_none_cell;
}

void print_error(Cell* error) {
    std::string text = error_form_text(error);
    Cell* s = string_load(reinterpret_cast<const uint8_t*>(text.data()),
                          static_cast<uint32_t>(text.size()), 0);
    Cell str = *s;
    stack_pop(1);
    printhooks_call_value_hooks(&str, 1);
}

// Calls awake with the event; 0 for the word stop, else 1. Nothing that
// happens inside leaves here but a quit, which is deferred.
int call_awake(const Cell* event) {
    Cell fn = awake_function();
    if (type_of(&fn) != T_FUNCTION) return 1;
    Cell* saved_args = g_stack_args;
    Cell* saved_top = g_stack_top;
    CallFrame* saved_frames = g_frames_top;
    bool saved_tracing = g_tracing;
    g_tracing = false;
    int result = 1;
    try {
        Cell* base = stack_push_cell();
        *base = g_none_cell;
        stack_mark_try_all(word_load("awake"));
        Cell name = *word_load("awake");
        stack_mark_func(&name, function_context(&fn));
        stack_push(event);
        uint32_t slots = context_word_count(function_context(&fn));
        if (slots > 1) function_push_unused_refinement(slots - 1);
        if (interp_call_function(&fn).exit_pending()) {
            exit_take();
        } else {
            Cell r = *stack_arguments();
            if (type_of(&r) == T_WORD &&
                symbol_resolve(word_symbol(&r)) == symbol_resolve(word_symbol(word_load("stop"))))
                result = 0;
        }
    } catch (const Throw& t) {
        if (t.code == kThrowError) {
            Cell* e = g_stack_args;
            for (Cell* p = g_stack_args; p < g_stack_top; p++)
                if (type_of(p) == T_ERROR) e = p;
            if (type_of(e) == T_ERROR) print_error(e);
        } else if (t.code == kThrowQuit) {
            g_deferred_throw = t.code;
        }
    }
    g_stack_args = saved_args;
    g_stack_top = saved_top;
    g_frames_top = saved_frames;
    g_tracing = saved_tracing;
    return result;
}

} // namespace

int loop_depth() {
    return g_loop_depth;
}
int pending_exits() {
    return g_pending_exits;
}

void post_quit() {
    g_quit_posted = 1;
    gtk::wake_loop();
}

void note_destroyed_view(bool empty) {
    if (!empty) return;
    g_pending_exits++;
    g_loop_depth--;
}

// Fills the event value and calls awake; 1 lets the input go on.
int make_event(gtk::WidgetId widget, uint32_t type, uint32_t flags_key, const Cell& offset,
               const Cell& key, const Cell& picked, const Cell& orientation) {
    EventRecord r;
    r.face = widget_face(widget);
    r.window = widget_face(gtk::widget_toplevel(widget));
    r.offset = offset;
    r.key = key;
    r.picked = picked;
    r.orientation = orientation;
    if (type_of(&r.face) != T_OBJECT) return 1;
    uint32_t index = event_records_push(r);
    Cell event;
    event_make_native_at(&event, type, index, flags_key);
    int depth = g_loop_depth;
    int result = call_awake(&event);
    event_records_pop();
    // A destroy-view with empty? during the call ends the innermost loop.
    if (g_loop_depth < depth) post_quit();
    return result;
}

uint32_t rethrow_deferred() {
    uint32_t code = g_deferred_throw;
    g_deferred_throw = 0;
    return code;
}

bool do_events(bool no_wait) {
    if (!has_display()) return false;
    bool handled = false;
    if (no_wait) {
        handled = gtk::loop_iteration(false);
    } else {
        g_loop_depth++;
        while (g_quit_posted == 0) {
            gtk::loop_iteration(true);
            handled = true;
            if (g_deferred_throw) break;
        }
        g_quit_posted = 0;
        g_pending_exits--;
        if (g_pending_exits > 0) post_quit();
    }
    if (uint32_t code = rethrow_deferred()) throw_code(code);
    return handled;
}

void exit_event_loop() {
    post_quit();
}

} // namespace xel::gui
