// Text layouts of rich-text faces: the face's text laid out in its size with
// its font and para, its style runs applied; and the metrics queries of
// text-box-metrics over them.
#pragma once
#include <memory>

#include "platform/gfx/gfx-text.h"
#include "runtime/cell.h"

namespace xel::draw {

struct Cursor;

// The layout of a face whose text is a string, or null. Style runs that are
// not understood raise draw-invalid at the run.
std::unique_ptr<gfx::TextLayout> text_face_layout(const Cell* face);

// The answer of a metrics query (by code) on a layout into out.
void text_metrics(const gfx::TextLayout& layout, const Cell* arg, int code, Cell* out);

} // namespace xel::draw
