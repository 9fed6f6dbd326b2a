// The drawing routines: draw-image (the draw dialect on an image),
// text-box-metrics (layout queries on a rich-text face) and size-text (a
// text's size in a face's font), bound to global words that the view's
// platform object gathers.
#include <cstring>
#include <string_view>

#include "gui/backend/draw-paint.h"
#include "gui/backend/face-access.h"
#include "gui/backend/font-native.h"
#include "gui/backend/text-layout.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "runtime/ownership/ownership.h"
#include "runtime/routines/library-routines.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// Reactions on the image run after it was drawn into, as after a poke.
RoutineValue routine_draw_image(const RoutineValue* args, uint32_t) {
    Cell image = *args[0].cell;
    if (image_width(&image) == 0 || image_height(&image) == 0) return routine_answer(g_none_cell);
    draw_on_image(&image, args[1].cell);
    Cell poke = *ownership_word_before(Change::Poke);
    ownership_check(&image, &poke, &g_none_cell, -1, -1);
    return routine_answer(g_none_cell);
}

// The face must be a rich-text face; none unless its text is a string.
RoutineValue routine_text_box_metrics(const RoutineValue* args, uint32_t) {
    const Cell* face = args[0].cell;
    const Cell* type = draw::facet(face, draw::Facet::kType);
    static const uint32_t rich_text = symbol_resolve(symbol_make("rich-text"));
    if (!type || type_of(type) != T_WORD || symbol_resolve(word_symbol(type)) != rich_text) {
        Cell what = type ? *type : g_none_cell;
        error_fire(kCatScript, err::script::kFaceType, &what);
    }
    Cell arg = *args[1].cell;
    int code = integer_get(args[2].cell);
    std::unique_ptr<gfx::TextLayout> layout = draw::text_face_layout(face);
    Cell out = g_none_cell;
    if (layout) draw::text_metrics(*layout, &arg, code, &out);
    return routine_answer(out);
}

// The text is the value when a string, the face's own text when none. Faces
// that paint their own text and have a window measure it in their width;
// widgets, and faces not shown yet, on one line per line break.
RoutineValue routine_size_text(const RoutineValue* args, uint32_t) {
    const Cell* face = args[0].cell;
    const Cell* value = args[1].cell;
    if (type_of(value) != T_STRING && type_of(value) != T_NONE)
        error_fire(kCatScript, err::script::kInvalidType, value);
    std::string_view type = gui::face_type_name(face);
    bool painted = type == "base" || type == "rich-text" || type == "window" || type == "panel";
    bool in_face_width = painted && gui::face_widget(face) != 0;
    double width = 0, height = 0;
    if (!draw_text_size(face, value, in_face_width, &width, &height))
        return routine_answer(g_none_cell);
    Cell size;
    point2d_make_at(&size, static_cast<float>(width), static_cast<float>(height));
    return routine_answer(size);
}

struct DrawRoutine {
    const char* word;
    const char* spec;
    RoutineFn code;
};

const DrawRoutine kRoutines[] = {
    {"draw-image", "[image [image!] cmds [block!]]", routine_draw_image},
    {"text-box-metrics", "[box [object!] arg0 [any-type!] type [integer!]]",
     routine_text_box_metrics},
    {"size-text", "[face [object!] value [any-type!]]", routine_size_text},
};

} // namespace

void routines_bind_draw() {
    draw_init();
    for (const DrawRoutine& r : kRoutines) {
        uint32_t index = routine_register(r.word, r.code);
        Cell* text = string_load(reinterpret_cast<const uint8_t*>(r.spec),
                                 static_cast<uint32_t>(std::strlen(r.spec)), 0);
        Cell source = *text;
        Cell* loaded = stack_push_cell();
        lexer_load_string(loaded, &source, -1, kScanLoad | kScanOutput, nullptr, nullptr, nullptr);
        Cell spec = *block_cell_at(loaded, 0);
        Cell routine = *routine_make_compiled(&spec, nullptr, index, -1, true);
        Cell word = *word_load(r.word);
        context_set(&word, &routine);
        stack_reset();
    }
}

} // namespace xel
