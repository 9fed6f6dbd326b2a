// The scroll bars of faces. A scrollable face's bars are set by its scroller!
// objects and report each move as a scroll event, which the face's actors
// answer by setting the scroller; a scroller face moves itself by its steps
// and page, reads back and raises change.
#include "gui/backend/scrolling.h"

#include <algorithm>
#include <cmath>

#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "platform/gui/gtk-scroll-bars.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/event/event.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/percent/percent-cell.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

// The fields of scroller!, by position.
enum ScrollerField : uint32_t {
    kScrollerPosition = 0,
    kScrollerPageSize = 1,
    kScrollerMaxSize = 3,
    kScrollerVisible = 4,
    kScrollerVertical = 5,
    kScrollerParent = 6,
};

bool number(const Cell* v, int* out) {
    switch (type_of(v)) {
    case T_INTEGER:
        *out = integer_get(v);
        return true;
    case T_FLOAT:
    case T_PERCENT:
        *out = static_cast<int>(cell_double(v));
        return true;
    default:
        return false;
    }
}

bool truthy(const Cell* v) {
    return type_of(v) != T_NONE && !(type_of(v) == T_LOGIC && !logic_get(v));
}

// A number of the face by field name, as a fraction: float and percent
// count, anything else is 0.
double fraction_field(const Cell* face, const char* name) {
    if (type_of(face) != T_OBJECT) return 0.0;
    Offset ctx = object_context(face);
    int32_t i = context_find_word(ctx, symbol_resolve(symbol_make(name)), true);
    if (i < 0) return 0.0;
    const Cell* v = context_value_at(ctx, static_cast<uint32_t>(i));
    return type_of(v) == T_FLOAT || type_of(v) == T_PERCENT ? cell_double(v) : 0.0;
}

double fraction_facet(const Cell* face, uint32_t index) {
    Cell v = facet(face, index);
    return type_of(&v) == T_FLOAT || type_of(&v) == T_PERCENT ? cell_double(&v) : 0.0;
}

const char* key_word(int32_t request, bool vertical) {
    switch (request) {
    case gtk::kScrollLineBack:
        return vertical ? "up" : "left";
    case gtk::kScrollLineForward:
        return vertical ? "down" : "right";
    case gtk::kScrollPageBack:
        return vertical ? "page-up" : "page-left";
    case gtk::kScrollPageForward:
        return vertical ? "page-down" : "page-right";
    case gtk::kScrollTrack:
        return "track";
    default:
        return "end";
    }
}

// A scroller face: the request moves it by its steps or page (fractions of
// the range), to the thumb, or not at all; the end of a move says nothing.
int scroller_face_input(const gtk::Input& in, const Cell* face) {
    double position = gtk::range_get(in.widget);
    switch (in.item) {
    case gtk::kScrollLineBack:
        position -= fraction_field(face, "steps");
        break;
    case gtk::kScrollLineForward:
        position += fraction_field(face, "steps");
        break;
    case gtk::kScrollPageBack:
        position -= fraction_facet(face, kFacetSelected);
        break;
    case gtk::kScrollPageForward:
        position += fraction_facet(face, kFacetSelected);
        break;
    case gtk::kScrollTrack:
        position = in.track;
        break;
    case gtk::kScrollEnd:
        return 0;
    default:
        break;
    }
    gtk::range_set(in.widget, std::clamp(position, 0.0, 1.0));
    scroller_read_back(in.widget, face);
    return make_event(in.widget, kEvChange, 0, g_none_cell, g_none_cell, integer_cell(0),
                      g_none_cell);
}

} // namespace

double unit_value(const Cell* value) {
    switch (type_of(value)) {
    case T_INTEGER:
        return std::clamp(static_cast<double>(integer_get(value)), 0.0, 1.0);
    case T_FLOAT:
    case T_PERCENT:
        return std::clamp(cell_double(value), 0.0, 1.0);
    default:
        return -1.0;
    }
}

void update_scroller(const Cell* scroller, int32_t index) {
    Cell parent = facet(scroller, kScrollerParent);
    gtk::WidgetId id = face_widget(&parent);
    if (!id) return;
    Cell vertical_cell = facet(scroller, kScrollerVertical);
    bool vertical = truthy(&vertical_cell);
    Cell v;
    int n = 0;
    switch (index) {
    case kScrollerPosition:
        v = facet(scroller, kScrollerPosition);
        if (number(&v, &n)) gtk::bar_set_position(id, vertical, n);
        return;
    case kScrollerPageSize:
    case kScrollerMaxSize: {
        Cell page = facet(scroller, kScrollerPageSize);
        Cell max = facet(scroller, kScrollerMaxSize);
        int p = 0, m = 0;
        // The range starts at 1; min-size takes no part.
        if (number(&page, &p) && number(&max, &m)) gtk::bar_set_range(id, vertical, 1, m, p);
        return;
    }
    case kScrollerVisible:
        v = facet(scroller, kScrollerVisible);
        gtk::bar_show(id, vertical, truthy(&v));
        return;
    default:
        return;
    }
}

int scroll_bar_input(const gtk::Input& in) {
    Cell face = widget_face(in.widget);
    if (type_of(&face) != T_OBJECT) return 1;
    if (gtk::widget_kind(in.widget) == gtk::Kind::kScroller) return scroller_face_input(in, &face);
    // The face's own bar: picked is the thumb's position.
    Cell key = *word_load(key_word(in.item, in.vertical));
    Cell orientation = *word_load(in.vertical ? "vertical" : "horizontal");
    return make_event(in.widget, kEvScroll, 0, g_none_cell, key,
                      integer_cell(static_cast<int32_t>(std::lround(in.track))), orientation);
}

void scroller_face_init(gtk::WidgetId id, const Cell* face) {
    Cell selected = facet(face, kFacetSelected);
    double page = unit_value(&selected);
    if (page < 0) {
        page = 0.1;
        Cell pct;
        percent_make_at(&pct, page);
        set_facet(face, kFacetSelected, &pct);
    }
    gtk::scroller_set_page(id, page);
    Cell zero;
    float_make_at(&zero, 0.0);
    set_facet(face, kFacetData, &zero);
}

void scroller_read_back(gtk::WidgetId id, const Cell* face) {
    Cell v;
    float_make_at(&v, gtk::range_get(id));
    set_facet(face, kFacetData, &v);
    percent_make_at(&v, gtk::scroller_page(id));
    set_facet(face, kFacetSelected, &v);
}

} // namespace xel::gui
