// make-view: the one GTK widget that stands for a face, made from its type
// and facets under its parent's widget, linked to the face, set up by kind.
#include <string>
#include <vector>

#include "gui/backend/backend.h"
#include "gui/backend/camera.h"
#include "gui/backend/density.h"
#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "gui/backend/options.h"
#include "gui/backend/scrolling.h"
#include "gui/backend/widgets.h"
#include "platform/gui/gtk-gui.h"
#include "platform/gui/gtk-options.h"
#include "platform/gui/gtk-scroll-bars.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/handle/handle.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/error-fire.h"
#include "runtime/externals/slots.h"
#include "runtime/stack/stack.h"

namespace xel::gui {

namespace {

// para!'s wrap? field, by position.
constexpr uint32_t kParaWrap = 5;

struct KindName {
    const char* name;
    gtk::Kind kind;
};
const KindName kKinds[] = {
    {"window", gtk::Kind::kWindow},      {"panel", gtk::Kind::kPanel},
    {"base", gtk::Kind::kBase},          {"rich-text", gtk::Kind::kBase},
    {"button", gtk::Kind::kButton},      {"toggle", gtk::Kind::kToggle},
    {"check", gtk::Kind::kCheck},        {"radio", gtk::Kind::kRadio},
    {"field", gtk::Kind::kField},        {"area", gtk::Kind::kArea},
    {"text", gtk::Kind::kText},          {"text-list", gtk::Kind::kTextList},
    {"drop-down", gtk::Kind::kDropDown}, {"drop-list", gtk::Kind::kDropList},
    {"progress", gtk::Kind::kProgress},  {"slider", gtk::Kind::kSlider},
    {"scroller", gtk::Kind::kScroller},  {"group-box", gtk::Kind::kGroupBox},
    {"calendar", gtk::Kind::kCalendar},  {"camera", gtk::Kind::kPanel},
    {"tab-panel", gtk::Kind::kTabPanel},
};

// A colour with transparency makes a window translucent.
bool translucent(const Cell* face) {
    Cell c = facet(face, kFacetColor);
    return type_of(&c) == T_TUPLE && tuple_count(&c) >= 4 && tuple_bytes(&c)[3] != 0;
}

bool truthy(const Cell* face, uint32_t index) {
    Cell v = facet(face, index);
    return !(type_of(&v) == T_LOGIC && !logic_get(&v)) && type_of(&v) != T_NONE;
}

// A radio made checked unchecks the others of its parent: their data
// follows their state.
void radio_siblings_follow(const Cell* face) {
    Cell parent = facet(face, kFacetParent);
    Cell pane = type_of(&parent) == T_OBJECT ? facet(&parent, kFacetPane) : g_none_cell;
    if (type_of(&pane) != T_BLOCK) return;
    int32_t n = block_length_at(&pane);
    for (int32_t i = 0; i < n; i++) {
        Cell other = *block_cell_at(&pane, static_cast<uint32_t>(block_index(&pane) + i));
        gtk::WidgetId oid = type_of(&other) == T_OBJECT ? face_widget(&other) : 0;
        if (oid && gtk::widget_kind(oid) == gtk::Kind::kRadio && face_widget(face) != oid)
            read_back(oid, &other);
    }
}

// Without a para object an area's lines scroll sideways; with one they wrap
// as its wrap? says, and there is no horizontal bar.
void area_lines(gtk::WidgetId id, const Cell* face) {
    Cell para = facet(face, kFacetPara);
    Cell wrap = facet(&para, kParaWrap);
    gtk::area_set_lines(id, type_of(&wrap) == T_LOGIC && logic_get(&wrap),
                        type_of(&para) != T_OBJECT);
}

} // namespace

std::string text_facet(const Cell* face) {
    Cell t = facet(face, kFacetText);
    return type_of(&t) == T_STRING ? string_utf8_text(&t) : std::string();
}

// The size as two numbers (0x0 when it is neither a pair! nor a point2D!).
void size_of(const Cell* face, double* w, double* h) {
    Cell s = facet(face, kFacetSize);
    *w = *h = 0;
    if (type_of(&s) == T_PAIR) {
        *w = pair_x(&s);
        *h = pair_y(&s);
    } else if (type_of(&s) == T_POINT2D) {
        *w = point_coordinate(&s, 0);
        *h = point_coordinate(&s, 1);
    }
}

// The offset as a point2D! (a pair! is turned into one in the face).
void offset_of(const Cell* face, double* x, double* y) {
    Cell o = facet(face, kFacetOffset);
    *x = *y = 0;
    if (type_of(&o) == T_PAIR) {
        pair_to_point2d(&o);
        set_facet(face, kFacetOffset, &o);
    }
    if (type_of(&o) == T_POINT2D) {
        *x = point_coordinate(&o, 0);
        *y = point_coordinate(&o, 1);
    }
}

void apply_data(gtk::WidgetId id, const Cell* face) {
    Cell d = facet(face, kFacetData);
    switch (gtk::widget_kind(id)) {
    case gtk::Kind::kCheck:
    case gtk::Kind::kToggle:
    case gtk::Kind::kRadio: {
        int state = type_of(&d) == T_NONE
                        ? ((face_flags(face) & kFaceTriState) ? 2 : 0)
                        : (type_of(&d) == T_LOGIC ? static_cast<int>(logic_get(&d)) : 1);
        gtk::check_set(id, state);
        if (state == 1 && gtk::widget_kind(id) == gtk::Kind::kRadio) radio_siblings_follow(face);
        return;
    }
    case gtk::Kind::kSlider:
    case gtk::Kind::kProgress:
    case gtk::Kind::kScroller:
        if (type_of(&d) == T_FLOAT || type_of(&d) == T_PERCENT) {
            double f = cell_double(&d);
            gtk::range_set(id, f < 0 ? 0 : (f > 1 ? 1 : f));
        }
        return;
    case gtk::Kind::kTextList:
    case gtk::Kind::kDropDown:
    case gtk::Kind::kDropList:
        list_set_items(id, face);
        return;
    case gtk::Kind::kTabPanel:
        tab_set_items(id, face);
        return;
    case gtk::Kind::kCalendar:
        if (type_of(&d) == T_DATE) calendar_sync(id, face);
        return;
    default:
        return;
    }
}

void apply_selected(gtk::WidgetId id, const Cell* face) {
    Cell s = facet(face, kFacetSelected);
    switch (gtk::widget_kind(id)) {
    case gtk::Kind::kField:
    case gtk::Kind::kArea:
        if (type_of(&s) == T_PAIR) {
            int a = pair_x(&s), b = pair_y(&s);
            if (a > b) std::swap(a, b);
            gtk::selection_set(id, a - 1, b);
        } else {
            gtk::selection_set(id, 0, 0);
        }
        return;
    case gtk::Kind::kTextList:
    case gtk::Kind::kDropDown:
    case gtk::Kind::kDropList:
        gtk::list_select(id, type_of(&s) == T_INTEGER && integer_get(&s) > 0 ? integer_get(&s) - 1
                                                                             : -1);
        return;
    case gtk::Kind::kTabPanel:
        if (type_of(&s) == T_INTEGER) tab_select(id, integer_get(&s) - 1);
        return;
    case gtk::Kind::kScroller:
        if (type_of(&s) == T_FLOAT || type_of(&s) == T_PERCENT)
            gtk::scroller_set_page(id, cell_double(&s));
        return;
    case gtk::Kind::kWindow: {
        gtk::WidgetId target = face_widget(&s);
        gtk::widget_focus(target ? target : id);
        return;
    }
    default:
        return;
    }
}

// A face's timer from its rate facet; a bad rate raises invalid-facet-type.
void apply_rate(gtk::WidgetId id, const Cell* face) {
    Cell r = facet(face, kFacetRate);
    uint32_t period = 0;
    if (type_of(&r) == T_INTEGER && integer_get(&r) > 0) {
        period = static_cast<uint32_t>(1000 / integer_get(&r));
    } else if (type_of(&r) == T_TIME && cell_double(&r) > 0) {
        period = static_cast<uint32_t>(cell_double(&r) * 1000);
    } else if (type_of(&r) != T_NONE) {
        error_fire(kCatScript, err::script::kInvalidFacetType, &r);
    }
    gtk::timer_set(id, period);
}

void make_view(const Cell* face_in, const Cell* parent, Cell* out) {
    require_display();
    Cell face = *face_in;
    Cell type = facet(&face, kFacetType);
    gtk::WidgetSpec spec;
    bool known = false;
    for (const KindName& k : kKinds)
        if (facet_is(&face, kFacetType, k.name)) {
            spec.kind = k.kind;
            known = true;
        }
    if (!known) error_fire(kCatScript, err::script::kFaceType, &type);
    uint32_t flags = face_flags(&face);
    // The face is made in its parent's pixels.
    spec.parent = type_of(parent) == T_HANDLE ? handle_value(parent) : 0;
    DpiScope dpi(spec.parent);
    if (spec.kind == gtk::Kind::kPanel || spec.kind == gtk::Kind::kGroupBox)
        tab_page_geometry(&face);
    double x, y, w, h;
    offset_of(&face, &x, &y);
    size_of(&face, &w, &h);
    if (spec.kind == gtk::Kind::kWindow) {
        if (w < 0) w = 200;
        if (h < 0) h = 200;
        dpi_for_rect(x, y, w, h);
    }
    spec.x = to_device_px(x);
    spec.y = to_device_px(y);
    spec.width = to_device_px(w);
    spec.height = to_device_px(h);
    spec.text = text_facet(&face);
    spec.visible = spec.kind == gtk::Kind::kWindow ? false : truthy(&face, kFacetVisible);
    spec.enabled = truthy(&face, kFacetEnabled);
    spec.vertical = h > w;
    spec.tri_state = (flags & kFaceTriState) != 0;
    spec.password = (flags & kFacePassword) != 0;
    spec.resizable = (flags & kFaceResize) != 0;
    spec.decorated = !(flags & (kFaceNoTitle | kFaceNoBorder));
    spec.modal = (flags & kFaceModal) != 0;
    spec.translucent = translucent(&face);
    // A borderless window that asks to be accelerated is a layered tool window.
    bool tool =
        spec.kind == gtk::Kind::kWindow && (flags & kFaceNoBorder) && options_accelerated(&face);
    if (tool) spec.translucent = true;
    spec.scrollable = (flags & kFaceScrollable) != 0;
    spec.face_slot = slots_store(&face);
    gtk::WidgetId id = gtk::widget_create(spec);
    if (id == 0) {
        slots_free(spec.face_slot);
        require_display();
    }
    if (tool) gtk::window_set_tool(id);
    apply_cursor(id, &face);
    switch (spec.kind) {
    case gtk::Kind::kWindow:
        menu_apply_bar(id, &face);
        break;
    case gtk::Kind::kField:
    case gtk::Kind::kArea:
        apply_edit_options(id, &face);
        if (spec.kind == gtk::Kind::kArea) area_lines(id, &face);
        break;
    case gtk::Kind::kButton:
    case gtk::Kind::kToggle:
        button_set_image(id, &face);
        break;
    case gtk::Kind::kCalendar:
        calendar_sync(id, &face);
        calendar_set_color(id, &face);
        break;
    default:
        break;
    }
    if (spec.kind != gtk::Kind::kTabPanel) apply_data(id, &face);
    if (spec.kind == gtk::Kind::kScroller) scroller_face_init(id, &face);
    if (spec.kind != gtk::Kind::kWindow && spec.kind != gtk::Kind::kTabPanel)
        apply_selected(id, &face);
    apply_rate(id, &face);
    if (facet_is(&face, kFacetType, "camera")) camera_init(id, &face);
    handle_make_at(out, id, window_handle_class());
    // The tabs last: choosing one raises events, which find the face linked.
    if (spec.kind == gtk::Kind::kTabPanel) tab_set_items(id, &face);
}

} // namespace xel::gui
