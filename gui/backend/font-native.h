// font! and para! objects as the text layer takes them: a font's name, size
// and style words become a gfx font spec (and, for widgets, a pango font
// description); a para's alignment and wrapping become a text format's.
#pragma once
#include <pango/pango.h>

#include "platform/gfx/gfx-brush.h"
#include "platform/gfx/gfx-text.h"
#include "runtime/cell.h"

namespace xel::draw {

// The symbols of the facets read here; made once at start.
void facets_init();

// A facet of a face, font or para object by name, or null when the value is
// not an object or has no such word.
enum class Facet : uint8_t {
    kName,
    kSize,
    kStyle,
    kColor,
    kText,
    kFont,
    kPara,
    kData,
    kAlign,
    kVAlign,
    kWrap,
    kType,
    kTabs,
    kImage,
    kDraw,
    kCount
};
const Cell* facet(const Cell* object, Facet which);

// The spec of a font! object; the defaults for what it does not say.
gfx::FontSpec font_spec(const Cell* font);
// The font's color facet when it is a colour tuple.
bool font_color(const Cell* font, gfx::Rgba* out);
// A new pango description of a font! object (the default font for anything
// that is not an object), for widgets; the caller frees it.
PangoFontDescription* font_pango_description(const Cell* font);
// The text format of a font and a para (either may be none); wrap_default
// applies when the para's wrap? is none.
gfx::TextFormat text_format(const Cell* font, const Cell* para, bool wrap_default);

// The alignment and wrap bits of a face type (a word) for a para (any
// value): buttons' and edits' style bits, the backend's own text flags for
// base and rich-text faces (bits 0-1 horizontal, 2-3 vertical, 4 wrap).
uint32_t para_style_bits(const Cell* type, const Cell* para);
// The text format of a base face's text from its flags.
gfx::TextFormat base_text_format(const Cell* font, const Cell* para);

} // namespace xel::draw
