#include "gui/backend/desktop.h"

#include <string>

#include "gui/backend/face-access.h"
#include "platform/gui/gtk-desktop.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/interpreter/interp.h"
#include "runtime/printing/print-hooks.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

Cell field(const Cell& object, const char* name) {
    if (type_of(&object) != T_OBJECT) return g_none_cell;
    Offset ctx = object_context(&object);
    int32_t i = context_find_word(ctx, word_symbol(word_load(name)), true);
    return i < 0 ? g_none_cell : *context_value_at(ctx, static_cast<uint32_t>(i));
}

} // namespace

// system/view/platform/refresh-screens in a function frame of its word,
// while GTK's frames are on the stack: nothing thrown leaves here, an error
// is printed.
void refresh_screens() {
    Cell system = *context_get(word_load("system"));
    Cell fn = field(field(field(system, "view"), "platform"), "refresh-screens");
    if (type_of(&fn) != T_FUNCTION) return;
    Cell* saved_args = g_stack_args;
    Cell* saved_top = g_stack_top;
    CallFrame* saved_frames = g_frames_top;
    try {
        stack_push(&g_none_cell);
        stack_mark_try_all(word_load("refresh-screens"));
        Cell name = *word_load("refresh-screens");
        stack_mark_func(&name, function_context(&fn));
        uint32_t slots = context_word_count(function_context(&fn));
        for (uint32_t i = 0; i < slots; i++)
            stack_push(&g_none_cell);
        if (interp_call_function(&fn).exit_pending()) exit_take();
    } catch (const Throw& t) {
        if (t.code == kThrowError)
            for (Cell* p = g_stack_args; p < g_stack_top; p++)
                if (type_of(p) == T_ERROR) {
                    std::string text = error_form_text(p);
                    Cell str = *string_load(reinterpret_cast<const uint8_t*>(text.data()),
                                            static_cast<uint32_t>(text.size()), 0);
                    printhooks_call_value_hooks(&str, 1);
                    break;
                }
    }
    g_stack_args = saved_args;
    g_stack_top = saved_top;
    g_frames_top = saved_frames;
}

void watch_screens() {
    gtk::watch_screens(refresh_screens);
}

void set_dark_mode(const Cell* face, bool dark) {
    if (facet_is(face, kFacetType, "window") && face_widget(face)) gtk::set_prefer_dark(dark);
}

} // namespace xel::gui
