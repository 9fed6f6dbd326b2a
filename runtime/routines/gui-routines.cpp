// The routines of the GUI: event? and find-flag?, send-event-os, the view's
// platform routines (gathered into system/view/platform by the GUI's top
// level, which then unsets their global words) and the clipboard.
#include "gui/backend/backend.h"
#include "gui/backend/scrolling.h"
#include "gui/backend/widgets.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/handle/handle.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/routines/library-routines.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "services/clipboard/clipboard.h"

namespace xel {

namespace {

RoutineValue answer_logic(bool truth) {
    Cell c;
    set_logic(&c, truth);
    return routine_answer(c);
}

RoutineValue answer_none() {
    return routine_answer(g_none_cell);
}

bool arg_true(const RoutineValue* args, uint32_t i) {
    return logic_get(args[i].cell) != 0;
}

RoutineValue event_q(const RoutineValue* args, uint32_t) {
    return answer_logic(type_of(args[0].cell) == T_EVENT);
}

bool same_word(const Cell* a, const Cell* b) {
    return symbol_resolve(word_symbol(a)) == symbol_resolve(word_symbol(b));
}

RoutineValue find_flag_q(const RoutineValue* args, uint32_t) {
    Cell facet = *args[0].cell;
    Cell flag = *args[1].cell;
    if (type_of(&facet) == T_WORD) return answer_logic(same_word(&facet, &flag));
    if (type_of(&facet) == T_BLOCK)
        for (Cell* p = block_rs_head(&facet) + 0; p < block_rs_tail(&facet); p++)
            if ((type_of(p) == T_WORD || type_of(p) == T_LIT_WORD) && same_word(p, &flag))
                return answer_logic(true);
    return answer_logic(false);
}

RoutineValue send_event_os(const RoutineValue* args, uint32_t) {
    return answer_logic(gui::send_event(args[0].cell, arg_true(args, 1)) == 1);
}

RoutineValue make_null_handle(const RoutineValue*, uint32_t) {
    Cell h;
    handle_make_at(&h, 0, 0);
    return routine_answer(h);
}

RoutineValue fetch_all_screens(const RoutineValue*, uint32_t) {
    RoutineValue v;
    gui::push_screens();
    v.cell = g_stack_top - 1;
    return v;
}

RoutineValue get_current_screen(const RoutineValue*, uint32_t) {
    Cell h;
    handle_make_at(&h, gui::current_screen(), 0);
    return routine_answer(h);
}

RoutineValue get_screen_size(const RoutineValue*, uint32_t) {
    int w, h;
    gui::screen_size(&w, &h);
    Cell p;
    pair_make_at(&p, w, h);
    return routine_answer(p);
}

RoutineValue on_change_facet(const RoutineValue* args, uint32_t) {
    gui::update_facet(args[0].cell, args[1].cell, args[3].cell, args[4].cell,
                      integer_get(args[5].cell), integer_get(args[6].cell));
    return answer_none();
}

RoutineValue update_text(const RoutineValue* args, uint32_t) {
    gui::update_text(args[0].cell);
    return answer_none();
}

RoutineValue destroy_view(const RoutineValue* args, uint32_t) {
    gui::destroy_view(args[0].cell, arg_true(args, 1));
    return answer_none();
}

RoutineValue update_view(const RoutineValue* args, uint32_t) {
    Cell v = *args[0].cell;
    if (type_of(&v) == T_BLOCK) {
        for (Cell* p = block_rs_head(&v) + 0; p < block_rs_tail(&v); p++)
            if (type_of(p) != T_OBJECT) {
                Cell type = datatype_cell(type_of(p));
                error_fire(kCatScript, err::script::kInvalidType, &type);
            }
        int32_t n = block_length_at(&v);
        for (int32_t i = 0; i < n; i++) {
            Cell face = *block_cell_at(&v, static_cast<uint32_t>(block_index(&v) + i));
            gui::update_view(&face);
        }
    } else {
        gui::update_view(&v);
    }
    return answer_none();
}

RoutineValue refresh_window(const RoutineValue*, uint32_t) {
    return answer_none();
}

RoutineValue redraw(const RoutineValue* args, uint32_t) {
    gui::redraw(args[0].cell);
    return answer_none();
}

RoutineValue update_scroller(const RoutineValue* args, uint32_t) {
    gui::update_scroller(args[0].cell, integer_get(args[1].cell));
    return answer_none();
}

RoutineValue draw_face(const RoutineValue* args, uint32_t) {
    gui::draw_face(args[0].cell, args[1].cell);
    return answer_none();
}

RoutineValue show_window(const RoutineValue* args, uint32_t) {
    gui::show_window(handle_value(args[0].cell));
    return answer_none();
}

RoutineValue make_view(const RoutineValue* args, uint32_t) {
    Cell out;
    gui::make_view(args[0].cell, args[1].cell, &out);
    return routine_answer(out);
}

RoutineValue do_event_loop(const RoutineValue* args, uint32_t) {
    return answer_logic(gui::do_events(arg_true(args, 0)));
}

RoutineValue exit_event_loop(const RoutineValue*, uint32_t) {
    gui::exit_event_loop();
    return answer_none();
}

RoutineValue support_dark_mode_q(const RoutineValue*, uint32_t) {
    return answer_logic(gui::has_display());
}

RoutineValue read_clipboard(const RoutineValue*, uint32_t) {
    RoutineValue v;
    v.cell = clipboard_read();
    return v;
}

RoutineValue write_clipboard(const RoutineValue* args, uint32_t) {
    return answer_logic(clipboard_write(args[0].cell));
}

struct GuiRoutine {
    const char* word;
    const char* spec;
    RoutineFn code;
};

const GuiRoutine kGuiRoutines[] = {
    {"event?", "[\"Returns true if the value is this type\" value [any-type!]]", event_q},
    {"find-flag?", "[\"Checks a flag in a face object\" facet [any-type!] flag [any-word!]]",
     find_flag_q},
    {"send-event-os", "[event [event!] queued? [logic!]]", send_event_os},
    {"read-clipboard", "[]", read_clipboard},
    {"write-clipboard", "[data [any-type!]]", write_clipboard},
    {"make-null-handle", "[]", make_null_handle},
    {"fetch-all-screens", "[]", fetch_all_screens},
    {"get-current-screen", "[]", get_current_screen},
    {"get-screen-size", "[id [integer!]]", get_screen_size},
    {"on-change-facet",
     "[owner [object!] word [any-word!] value [any-type!] action [word!] new [any-type!] "
     "index [integer!] part [integer!]]",
     on_change_facet},
    {"update-text", "[face [object!]]", update_text},
    {"destroy-view", "[face [object!] empty? [logic!]]", destroy_view},
    {"update-view", "[face [object! block!]]", update_view},
    {"refresh-window", "[h [handle!]]", refresh_window},
    {"redraw", "[face [object!]]", redraw},
    {"show-window", "[id [handle!]]", show_window},
    {"draw-face", "[face [object!] cmds [block!]]", draw_face},
    {"update-scroller", "[scroller [object!] flags [integer!]]", update_scroller},
    {"make-view", "[face [object!] parent [handle!]]", make_view},
    {"do-event-loop", "[no-wait? [logic!]]", do_event_loop},
    {"exit-event-loop", "[]", exit_event_loop},
    {"support-dark-mode?", "[]", support_dark_mode_q},
};

} // namespace

void routines_bind_gui() {
    for (const GuiRoutine& r : kGuiRoutines)
        routine_bind(r.word, r.spec, r.code);
}

} // namespace xel
