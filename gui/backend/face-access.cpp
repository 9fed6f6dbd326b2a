#include "gui/backend/face-access.h"

#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/handle/handle.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/externals/slots.h"
#include "runtime/symbols/symbols.h"

namespace xel::gui {

namespace {

struct FlagName {
    const char* name;
    uint32_t bit;
};
const FlagName kFlagNames[] = {
    {"all-over", kFaceAllOver},      {"focusable", kFaceFocusable},  {"tri-state", kFaceTriState},
    {"scrollable", kFaceScrollable}, {"password", kFacePassword},    {"no-sync", kFaceNoSync},
    {"fullscreen", kFaceFullscreen}, {"popup", kFacePopup},          {"modal", kFaceModal},
    {"resize", kFaceResize},         {"no-buttons", kFaceNoButtons}, {"no-max", kFaceNoMax},
    {"no-min", kFaceNoMin},          {"no-title", kFaceNoTitle},     {"no-border", kFaceNoBorder},
};

uint32_t flag_bit(const Cell* word) {
    uint32_t s = symbol_resolve(word_symbol(word));
    for (const FlagName& f : kFlagNames)
        if (s == symbol_resolve(word_symbol(word_load(f.name)))) return f.bit;
    Cell w = *word;
    error_fire(kCatScript, err::script::kInvalidArg, &w);
}

int g_dpi = 96;
double g_scale = 1.0;

} // namespace

Cell facet(const Cell* face, uint32_t index) {
    if (type_of(face) != T_OBJECT) return g_none_cell;
    Offset ctx = object_context(face);
    if (index >= context_word_count(ctx)) return g_none_cell;
    return *context_value_at(ctx, index);
}

void set_facet(const Cell* face, uint32_t index, const Cell* value) {
    if (type_of(face) != T_OBJECT) return;
    Offset ctx = object_context(face);
    if (index >= context_word_count(ctx)) return;
    *context_value_at(ctx, index) = *value;
}

bool facet_is(const Cell* face, uint32_t index, const char* word) {
    Cell v = facet(face, index);
    if (!is_any_word_type(type_of(&v))) return false;
    return symbol_resolve(word_symbol(&v)) == symbol_resolve(word_symbol(word_load(word)));
}

const char* face_type_name(const Cell* face) {
    static const char* const kTypes[] = {
        "window",    "panel",     "base",     "rich-text", "button",   "toggle",
        "check",     "radio",     "field",    "area",      "text",     "text-list",
        "drop-down", "drop-list", "progress", "slider",    "scroller", "group-box",
        "calendar",  "tab-panel", "camera",   "screen",
    };
    for (const char* t : kTypes)
        if (facet_is(face, kFacetType, t)) return t;
    return "";
}

gtk::WidgetId face_widget(const Cell* face) {
    Cell state = facet(face, kFacetState);
    if (type_of(&state) != T_BLOCK || block_xs_tail(&state)) return 0;
    Cell h = *block_cell_at(&state, static_cast<uint32_t>(block_index(&state)));
    if (type_of(&h) != T_HANDLE) return 0;
    return handle_value(&h);
}

Cell widget_face(gtk::WidgetId id) {
    uint32_t slot = gtk::widget_face_slot(id);
    Cell* c = slot ? slots_get(slot) : nullptr;
    return c ? *c : g_none_cell;
}

uint32_t face_flags(const Cell* face) {
    Cell f = facet(face, kFacetFlags);
    if (is_any_word_type(type_of(&f))) return flag_bit(&f);
    if (type_of(&f) != T_BLOCK) return 0;
    uint32_t bits = 0;
    for (Cell* p = block_rs_head(&f); p < block_rs_tail(&f); p++) {
        if (!is_any_word_type(type_of(p))) continue;
        Cell w = *p;
        bits |= flag_bit(&w);
    }
    return bits;
}

uint32_t window_handle_class() {
    static uint32_t index = handle_register_class("window");
    return index;
}

int to_device_px(double logical) {
    return static_cast<int>(static_cast<float>(logical) * static_cast<float>(g_scale) + 0.5f);
}

double to_logical_px(double device) {
    return device / g_scale;
}

void set_dpi(int dpi) {
    g_dpi = dpi;
    g_scale = dpi / 96.0;
}

int current_dpi() {
    return g_dpi;
}

} // namespace xel::gui
