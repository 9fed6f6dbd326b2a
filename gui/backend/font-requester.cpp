// The font requester: GTK's font chooser. Without a display it answers none
// at once.
#include <gtk/gtk.h>

#include "gui/backend/draw-paint.h"
#include "gui/backend/font-native.h"
#include "gui/backend/font-requester.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/symbols/symbols.h"

namespace xel::draw {

namespace {

// The value cell of a facet the object has, looked up after any allocation.
Cell* slot(const Cell* object, const char* name) {
    Offset ctx = object_context(object);
    int32_t i = context_find_word(ctx, symbol_resolve(symbol_make(name)), true);
    return i < 0 ? nullptr : context_value_at(ctx, static_cast<uint32_t>(i));
}

gboolean monospace_only(const PangoFontFamily* family, const PangoFontFace*, gpointer) {
    return pango_font_family_is_monospace(const_cast<PangoFontFamily*>(family));
}

} // namespace

void font_fill_from_description(Cell* font, const PangoFontDescription* d) {
    const char* family = pango_font_description_get_family(d);
    std::string name = family ? family : "";
    Cell text = *string_from_utf8(reinterpret_cast<const uint8_t*>(name.data()),
                                  static_cast<uint32_t>(name.size()));
    if (Cell* s = slot(font, "name")) *s = text;
    int size = pango_font_description_get_size(d) / PANGO_SCALE;
    if (Cell* s = slot(font, "size")) integer_make_at(s, size);
    bool bold = pango_font_description_get_weight(d) >= PANGO_WEIGHT_BOLD;
    bool italic = pango_font_description_get_style(d) != PANGO_STYLE_NORMAL;
    if (!bold && !italic) return;
    Cell style;
    if (bold && italic) {
        block_make_at(&style, 2);
        word_make_in(&style, symbol_make("bold"));
        word_make_in(&style, symbol_make("italic"));
    } else {
        word_make_at(&style, symbol_make(bold ? "bold" : "italic"));
    }
    if (Cell* s = slot(font, "style")) *s = style;
}

bool font_request(Cell* result, const Cell* selected, bool mono) {
    if (!gtk_init_check(nullptr, nullptr)) return false;
    GtkWidget* dialog = gtk_font_chooser_dialog_new("Font", nullptr);
    PangoFontDescription* start = nullptr;
    if (selected && type_of(selected) == T_OBJECT)
        start = font_pango_description(selected);
    else
        start = pango_font_description_from_string("Monospace 11");
    gtk_font_chooser_set_font_desc(GTK_FONT_CHOOSER(dialog), start);
    pango_font_description_free(start);
    if (mono)
        gtk_font_chooser_set_filter_func(GTK_FONT_CHOOSER(dialog), monospace_only, nullptr,
                                         nullptr);
    bool chosen = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK;
    PangoFontDescription* d =
        chosen ? gtk_font_chooser_get_font_desc(GTK_FONT_CHOOSER(dialog)) : nullptr;
    gtk_widget_destroy(dialog);
    if (!d) return false;
    font_fill_from_description(result, d);
    pango_font_description_free(d);
    return true;
}

} // namespace xel::draw
