#include "runtime/datatypes/path/path-fields.h"

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"

namespace xel {

void path_store_back(const Cell* changed, Cell* path, const Cell* gparent, const Cell* p_item,
                     int index, bool case_) {
    if (!p_item) return;
    Cell updated = *changed;
    if (!gparent || type_of(gparent) == T_NONE) {
        if (!is_any_word_type(type_of(p_item))) return;
        Cell word = *p_item;
        context_set(&word, &updated);
        return;
    }
    Cell container = *gparent;
    Cell key = *p_item;
    Cell none_cell = g_none_cell;
    Cell none_item = g_none_cell;
    actions_eval_path_typed(&container, &key, &updated, path, &none_cell, &none_item, index - 1,
                            case_, false, false, true);
}

void path_fire_invalid_selector(const Cell* path, const Cell* selector) {
    Cell sel = *selector;
    Cell where = path ? *path : sel;
    error_fire(kCatScript, err::script::kInvalidPath, &where, &sel);
}

void pick_fire_out_of_range(int index, const Cell* boxed) {
    Cell given = boxed ? *boxed : Cell{T_INTEGER, 0, static_cast<uint32_t>(index), 0};
    error_fire(kCatScript, err::script::kOutOfRange, &given);
}

} // namespace xel
