// Input translation: what each GTK input record means as events for the face
// tree, with the key words, the flags and the facets read back first.
#include <string>

#include "gui/backend/dispatch.h"
#include "gui/backend/face-access.h"
#include "gui/backend/scrolling.h"
#include "gui/backend/widgets.h"
#include "runtime/core/throw.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/event/event.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

double g_last_x = -1, g_last_y = -1;
gtk::WidgetId g_last_widget = 0;

uint32_t modifier_flags(uint32_t s) {
    uint32_t f = 0;
    if (s & gtk::kStateCtrl) f |= kFlagCtrl;
    if (s & gtk::kStateShift) f |= kFlagShift;
    if (s & gtk::kStateAlt) f |= kFlagAlt;
    if (s & gtk::kStateCommand) f |= kFlagCommand;
    return f;
}

uint32_t button_flags(uint32_t s) {
    uint32_t f = 0;
    if (s & gtk::kStateButton1) f |= kFlagDown;
    if (s & gtk::kStateButton2) f |= kFlagMidDown;
    if (s & gtk::kStateButton3) f |= kFlagAltDown;
    if (s & gtk::kStateButton4) f |= kFlagAuxDown;
    return f;
}

uint32_t pressed_flag(int button) {
    switch (button) {
    case 1:
        return kFlagDown;
    case 2:
        return kFlagMidDown;
    case 3:
        return kFlagAltDown;
    default:
        return kFlagAuxDown;
    }
}

uint32_t press_type(int button, bool down) {
    switch (button) {
    case 1:
        return down ? kEvDown : kEvUp;
    case 2:
        return down ? kEvMidDown : kEvMidUp;
    case 3:
        return down ? kEvAltDown : kEvAltUp;
    default:
        return down ? kEvAuxDown : kEvAuxUp;
    }
}

Cell point(double x, double y) {
    Cell c;
    point2d_make_at(&c, static_cast<float>(to_logical_px(x)), static_cast<float>(to_logical_px(y)));
    return c;
}

Cell word_cell(const char* name) {
    return *word_load(name);
}

Cell char_cell(uint32_t cp) {
    Cell c;
    char_set(&c, cp);
    return c;
}

int raise(gtk::WidgetId w, uint32_t type, uint32_t fk, const Cell& offset, const Cell& key,
          const Cell& picked) {
    return make_event(w, type, fk, offset, key, picked, g_none_cell);
}

int raise_plain(gtk::WidgetId w, uint32_t type, uint32_t fk = 0) {
    return raise(w, type, fk, g_none_cell, g_none_cell,
                 integer_cell(static_cast<int16_t>(fk & 0xFFFF)));
}

// The root window's selected facet follows the control that got input.
void select_in_window(gtk::WidgetId id) {
    gtk::WidgetId top = gtk::widget_toplevel(id);
    if (!top || top == id) return;
    Cell window = widget_face(top);
    Cell face = widget_face(id);
    if (type_of(&face) == T_OBJECT) set_facet(&window, kFacetSelected, &face);
}

int key_input(const gtk::Input& in) {
    bool press = in.kind == gtk::InputKind::kKeyPress;
    uint32_t flags = modifier_flags(in.state) | button_flags(in.state);
    Cell offset = point(in.x, in.y);
    const char* special = gtk::key_name(in.keyval, in.left_side);
    Cell down_key = g_none_cell;
    uint32_t down_code = 0;
    if (special) {
        down_key = word_cell(special);
    } else if (uint32_t u = in.unicode) {
        // The key's own character, as its key cap shows it.
        down_code = (u >= 'a' && u <= 'z') ? u - 32 : u;
        down_key = char_cell(down_code);
    }
    Cell none_picked = integer_cell(static_cast<int16_t>(down_code & 0xFFFF));
    int result = raise(in.widget, press ? kEvKeyDown : kEvKeyUp, flags | (down_code & 0xFFFF),
                       offset, down_key, none_picked);
    if (!press || result == 0) return result;
    bool modifier = special && (std::string(special).find("shift") != std::string::npos ||
                                std::string(special).find("control") != std::string::npos ||
                                std::string(special).find("alt") != std::string::npos);
    if (special) {
        if (modifier) return result;
        return raise(in.widget, kEvKey, flags, offset, down_key, integer_cell(0));
    }
    uint32_t ch = in.unicode;
    if (ch == 0) return result;
    // Control with a letter types its control code.
    if ((flags & kFlagCtrl) && ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'))) ch &= 0x1F;
    uint32_t fk = ch > 0xFFFF ? ch : (flags | ch);
    return raise(in.widget, kEvKey, fk, offset, char_cell(ch),
                 integer_cell(static_cast<int16_t>(ch & 0xFFFF)));
}

int dispatch(const gtk::Input& in) {
    using gtk::InputKind;
    Cell face = widget_face(in.widget);
    if (type_of(&face) != T_OBJECT) return 1;
    switch (in.kind) {
    case InputKind::kButtonPress: {
        uint32_t fk = modifier_flags(in.state) | button_flags(in.state) | pressed_flag(in.button);
        int r = raise(in.widget, press_type(in.button, true), fk, point(in.x, in.y), g_none_cell,
                      list_picked(in.widget, in.x, in.y));
        // A right press shows the face's context menu, which takes the press.
        if (in.button == 3 && menu_show_context(in.widget, in.x, in.y)) r = 0;
        return r;
    }
    case InputKind::kButtonDouble:
        if (in.button != 1) return 1;
        raise(in.widget, kEvDblClick, modifier_flags(in.state) | button_flags(in.state) | kFlagDown,
              point(in.x, in.y), g_none_cell, list_picked(in.widget, in.x, in.y));
        return 1;
    case InputKind::kButtonRelease: {
        uint32_t fk =
            (modifier_flags(in.state) | button_flags(in.state)) & ~pressed_flag(in.button);
        return raise(in.widget, press_type(in.button, false), fk, point(in.x, in.y), g_none_cell,
                     g_none_cell);
    }
    case InputKind::kMotion:
        // The same position again is a repeat: dropped unseen.
        if (in.widget == g_last_widget && in.x == g_last_x && in.y == g_last_y) return 0;
        g_last_widget = in.widget;
        g_last_x = in.x;
        g_last_y = in.y;
        raise(in.widget, kEvOver, modifier_flags(in.state) | button_flags(in.state),
              point(in.x, in.y), g_none_cell, integer_cell(0));
        return 1;
    case InputKind::kLeave:
        g_last_widget = 0;
        raise(in.widget, kEvOver, kFlagAway | modifier_flags(in.state) | button_flags(in.state),
              point(in.x, in.y), g_none_cell, integer_cell(0));
        return 1;
    case InputKind::kScroll: {
        Cell picked;
        float_make_at(&picked, in.wheel);
        return raise(in.widget, kEvWheel, modifier_flags(in.state) | button_flags(in.state),
                     point(in.x, in.y), word_cell("wheel"), picked);
    }
    case InputKind::kKeyPress:
    case InputKind::kKeyRelease:
        return key_input(in);
    case InputKind::kFocusIn:
        select_in_window(in.widget);
        return raise_plain(in.widget, kEvFocus);
    case InputKind::kFocusOut:
        return raise_plain(in.widget, kEvUnfocus);
    case InputKind::kClicked: {
        select_in_window(in.widget);
        read_back(in.widget, &face);
        gtk::Kind k = gtk::widget_kind(in.widget);
        if (k == gtk::Kind::kButton || k == gtk::Kind::kRadio)
            return raise_plain(in.widget, kEvClick, modifier_flags(in.state));
        return raise_plain(in.widget, kEvChange);
    }
    case InputKind::kChanged:
        if (!(face_flags(&face) & kFaceNoSync)) read_back(in.widget, &face);
        return raise_plain(in.widget, kEvChange);
    case InputKind::kSelected: {
        int index = gtk::list_selected(in.widget);
        if (index < 0) return 1;
        Cell sel = facet(&face, kFacetSelected);
        if (type_of(&sel) == T_INTEGER && integer_get(&sel) == index + 1) return 1;
        if (gtk::widget_kind(in.widget) == gtk::Kind::kDropDown) read_back(in.widget, &face);
        int r = raise_plain(in.widget, kEvSelect, static_cast<uint32_t>(index + 1) & 0xFFFF);
        Cell chosen = integer_cell(index + 1);
        set_facet(&face, kFacetSelected, &chosen);
        if (r == 1) r = raise_plain(in.widget, kEvChange);
        return r;
    }
    case InputKind::kConfigure: {
        int r = 1;
        if (in.moved) {
            Cell p = point(in.x, in.y);
            set_facet(&face, kFacetOffset, &p);
            r = raise(in.widget, kEvMove, 0, p, g_none_cell, integer_cell(0));
        }
        if (in.resized) {
            Cell old = facet(&face, kFacetSize);
            Cell s = point(in.width, in.height);
            if (type_of(&old) == T_PAIR)
                pair_make_at(&s, static_cast<int32_t>(to_logical_px(in.width)),
                             static_cast<int32_t>(to_logical_px(in.height)));
            set_facet(&face, kFacetSize, &s);
            r = raise(in.widget, kEvResize, 0, s, g_none_cell, integer_cell(0));
        }
        return r;
    }
    case InputKind::kClose:
        if (raise_plain(in.widget, kEvClose) == 0) post_quit();
        return 1;
    case InputKind::kTimer:
        return raise_plain(in.widget, kEvTime);
    case InputKind::kMenu:
        return menu_fire(in);
    case InputKind::kTabChanging:
        return tab_on_selchanging(in);
    case InputKind::kTabChanged:
        return tab_on_selchange(in);
    case InputKind::kDateChanged:
        return calendar_on_change(in);
    case InputKind::kGesture:
        return gesture_input(in);
    case InputKind::kScrollBar:
        return scroll_bar_input(in);
    }
    return 1;
}

} // namespace

void read_back(gtk::WidgetId id, const Cell* face) {
    using gtk::Kind;
    Cell v = g_none_cell;
    switch (gtk::widget_kind(id)) {
    case Kind::kCheck:
    case Kind::kToggle:
    case Kind::kRadio: {
        int s = gtk::check_get(id);
        if (s != 2) set_logic(&v, s == 1);
        set_facet(face, kFacetData, &v);
        return;
    }
    case Kind::kScroller:
        scroller_read_back(id, face);
        return;
    case Kind::kSlider:
    case Kind::kProgress:
        float_make_at(&v, gtk::range_get(id));
        set_facet(face, kFacetData, &v);
        return;
    case Kind::kField:
    case Kind::kArea:
    case Kind::kDropDown: {
        std::string t = gtk::widget_text(id);
        Cell* s = string_load(reinterpret_cast<const uint8_t*>(t.data()),
                              static_cast<uint32_t>(t.size()), 0);
        v = *s;
        stack_pop(1);
        set_facet(face, kFacetText, &v);
        int start, end;
        if (gtk::widget_kind(id) != Kind::kDropDown) {
            if (gtk::selection_get(id, &start, &end))
                pair_make_at(&v, start + 1, end);
            else
                v = g_none_cell;
            set_facet(face, kFacetSelected, &v);
        }
        return;
    }
    default:
        return;
    }
}

int handle_input(const gtk::Input& input) {
    // Nothing may leave through GTK's frames: what must go on is deferred.
    try {
        return dispatch(input);
    } catch (const Throw&) {
        return 1;
    }
}

} // namespace xel::gui
