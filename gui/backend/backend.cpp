// Start-up, the display check, destroy-view, showing windows, screens, and
// language-made events turned into input.
#include "gui/backend/backend.h"

#include "gui/backend/density.h"
#include "gui/backend/desktop.h"
#include "gui/backend/dispatch.h"
#include "gui/backend/draw-paint.h"
#include "gui/backend/face-access.h"
#include "platform/gui/gtk-gui.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/event/event-cell.h"
#include "runtime/datatypes/event/event.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/handle/handle.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/externals/slots.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

bool g_started = false;

// The base face being painted and its drawing, for draw-face in the actors
// of its drawing event.
gtk::WidgetId g_painting = 0;
draw::DrawContext* g_paint_context = nullptr;

// A base face shows its colour, image, text and draw block; without a draw
// block it raises drawing, whose actors draw with draw-face. Windows and
// panels show their colour, image and draw block under their children. A
// face is drawn as one group over its parent, so a translucent colour lets
// the parent show through. Errors there are printed or dropped, and the
// paint goes on.
void paint(gtk::WidgetId id, cairo_t* cr, int width, int height) {
    if (g_painting) return;
    g_painting = id;
    cairo_push_group(cr);
    try {
        Cell face = widget_face(id);
        Cell commands = facet(&face, kFacetDraw);
        draw_paint_face(cr, width, height, &face);
        if (type_of(&commands) != T_BLOCK && type_of(&face) == T_OBJECT &&
            gtk::widget_kind(id) == gtk::Kind::kBase) {
            g_paint_context = draw_begin(cr, width, height);
            make_event(id, kEvDrawing, 0, g_none_cell, g_none_cell, integer_cell(0), g_none_cell);
        }
    } catch (const Throw&) {
    }
    draw_end(g_paint_context);
    g_paint_context = nullptr;
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
    g_painting = 0;
}

uint32_t monitor_handle_class() {
    static uint32_t index = handle_register_class("monitor");
    return index;
}

Cell* field_slot(const Cell& object, const char* name) {
    if (type_of(&object) != T_OBJECT) return nullptr;
    uint32_t symbol = word_symbol(word_load(name));
    Offset ctx = object_context(&object);
    int32_t i = context_find_word(ctx, symbol, true);
    return i < 0 ? nullptr : context_value_at(ctx, static_cast<uint32_t>(i));
}

// system/view/metrics/dpi: the DPI at start.
void set_metrics_dpi() {
    Cell system = *context_get(word_load("system"));
    Cell* view = field_slot(system, "view");
    Cell* metrics = view ? field_slot(*view, "metrics") : nullptr;
    if (Cell* dpi = metrics ? field_slot(*metrics, "dpi") : nullptr)
        *dpi = integer_cell(current_dpi());
}

void destroy_face_widget(const Cell* face_in) {
    Cell face = *face_in;
    gtk::WidgetId id = face_widget(&face);
    if (!id) return;
    Cell pane = facet(&face, kFacetPane);
    if (type_of(&pane) == T_BLOCK) {
        int32_t n = block_length_at(&pane);
        for (int32_t i = 0; i < n; i++) {
            Cell child = *block_cell_at(&pane, static_cast<uint32_t>(block_index(&pane) + i));
            if (type_of(&child) == T_OBJECT) destroy_face_widget(&child);
        }
    }
    if (gtk::widget_kind(id) == gtk::Kind::kWindow) set_facet(&face, kFacetSelected, &g_none_cell);
    slots_free(gtk::widget_face_slot(id));
    gtk::widget_destroy(id);
    set_facet(&face, kFacetState, &g_none_cell);
}

} // namespace

bool init() {
    if (g_started) return true;
    if (!gtk::display_open()) return false;
    g_started = true;
    gtk::set_input_handler(handle_input);
    gtk::set_paint_handler(paint);
    watch_screens();
    watch_scale_changes();
    dpi_from_cursor();
    set_metrics_dpi();
    return true;
}

bool has_display() {
    return init();
}

void require_display() {
    if (init()) return;
    Cell* text = string_load(reinterpret_cast<const uint8_t*>("no display"), 10, 0);
    Cell msg = *text;
    error_fire(kCatAccess, err::access::kCannotOpen, &msg);
}

void destroy_view(const Cell* face, bool empty) {
    destroy_face_widget(face);
    note_destroyed_view(empty);
}

void show_window(uint32_t handle) {
    if (!handle) return;
    gtk::window_present(handle);
    // The control in the window's selected facet takes the keyboard.
    Cell window = widget_face(handle);
    Cell selected = facet(&window, kFacetSelected);
    if (gtk::WidgetId target = face_widget(&selected)) gtk::widget_focus(target);
    set_dpi(window_dpi(handle));
}

void draw_face(const Cell* face, const Cell* commands) {
    gtk::WidgetId id = face_widget(face);
    if (id && id == g_painting && g_paint_context) draw_face_commands(g_paint_context, commands);
}

// A script's redraw is on screen when it returns (output shows while the
// script still runs); inside a paint it only queues, as paints do not nest.
void redraw(const Cell* face) {
    gtk::WidgetId id = face_widget(face);
    if (!id) return;
    gtk::widget_redraw(id);
    if (!g_painting) gtk::widget_paint_now(id);
}

void update_text(const Cell* face) {
    if (gtk::WidgetId id = face_widget(face)) read_back(id, face);
}

int send_event(const Cell* event, bool queued) {
    Cell ev = *event;
    if (!event_is_made(&ev) || event_payload(&ev) == 0) return 0;
    Cell payload;
    block_set_cell(&payload, T_BLOCK, event_payload(&ev), 0);
    Cell face = *block_cell_at(&payload, 0);
    gtk::WidgetId id = face_widget(&face);
    if (!id || !has_display()) return 0;
    Cell offset = *block_cell_at(&payload, 2);
    Cell picked = *block_cell_at(&payload, 3);
    uint32_t fk = event_flags_key(&ev);
    gtk::Input in{};
    in.widget = id;
    if (type_of(&offset) == T_PAIR) {
        in.x = to_device_px(pair_x(&offset));
        in.y = to_device_px(pair_y(&offset));
    } else if (type_of(&offset) == T_POINT2D) {
        in.x = to_device_px(point_coordinate(&offset, 0));
        in.y = to_device_px(point_coordinate(&offset, 1));
    }
    if (fk & kFlagCtrl) in.state |= gtk::kStateCtrl;
    if (fk & kFlagShift) in.state |= gtk::kStateShift;
    if (fk & kFlagAlt) in.state |= gtk::kStateAlt;
    if (fk & kFlagDown) in.state |= gtk::kStateButton1;
    if (fk & kFlagMidDown) in.state |= gtk::kStateButton2;
    if (fk & kFlagAltDown) in.state |= gtk::kStateButton3;
    switch (event_type_code(&ev)) {
    case kEvDown:
    case kEvUp:
    case kEvMidDown:
    case kEvMidUp:
    case kEvAltDown:
    case kEvAltUp:
    case kEvAuxDown:
    case kEvAuxUp: {
        uint32_t t = event_type_code(&ev);
        bool down = (t - kEvDown) % 2 == 0;
        static const int kButtons[] = {1, 2, 3, 8};
        in.button = kButtons[(t - kEvDown) / 2];
        in.kind = down ? gtk::InputKind::kButtonPress : gtk::InputKind::kButtonRelease;
        break;
    }
    case kEvDblClick:
        in.kind = gtk::InputKind::kButtonDouble;
        in.button = 1;
        break;
    case kEvWheel:
        in.kind = gtk::InputKind::kScroll;
        in.wheel = type_of(&picked) == T_INTEGER ? integer_get(&picked) : 0;
        break;
    case kEvOver:
        in.kind = (fk & kFlagAway) ? gtk::InputKind::kLeave : gtk::InputKind::kMotion;
        break;
    case kEvKey:
    case kEvKeyDown:
    case kEvKeyUp:
        in.kind = event_type_code(&ev) == kEvKeyUp ? gtk::InputKind::kKeyRelease
                                                   : gtk::InputKind::kKeyPress;
        in.keyval = gtk::keyval_for(fk & 0xFFFF);
        break;
    default:
        return 0;
    }
    gtk::synthesize(in, queued);
    return 1;
}

void push_screens() {
    std::vector<gtk::Screen> list = gtk::screens();
    Cell* block = block_push_new(2);
    for (const gtk::Screen& s : list) {
        Cell entry = *block_make_in(block, 4);
        pair_make_in(&entry, s.x, s.y);
        pair_make_in(&entry, s.width, s.height);
        float_make_at(block_alloc_tail_cell(&entry), s.scale);
        handle_make_in(&entry, s.id, monitor_handle_class());
    }
}

void screen_size(int* width, int* height) {
    std::vector<gtk::Screen> list = gtk::screens();
    *width = *height = 0;
    if (list.empty()) return;
    *width = static_cast<int>(to_logical_px(list.front().width));
    *height = static_cast<int>(to_logical_px(list.front().height));
}

uint32_t current_screen() {
    return gtk::screen_at_pointer();
}

bool dark_mode() {
    return gtk::prefers_dark();
}

} // namespace xel::gui
