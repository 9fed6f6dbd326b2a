#include "runtime/datatypes/pair/coordinate-path.h"

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/words/fixed-words.h"
#include "runtime/words/symbols.h"

namespace xel {

namespace {

constexpr int kNotCoordinate = -1;

int coordinate_of_word(const Cell* word, int n) {
    uint32_t s = symbol_resolve(word_symbol(word));
    const uint32_t names[3] = {g_sym_x, g_sym_y, g_sym_z};
    for (int i = 0; i < n; i++)
        if (s == symbol_resolve(names[i])) return i;
    return kNotCoordinate;
}

} // namespace

int coordinate_of_path(const Cell* selector, const Cell* value, const Cell* path, int n) {
    Cell sel = *selector;
    if (is_any_word_type(type_of(&sel))) {
        int i = coordinate_of_word(&sel, n);
        if (i == kNotCoordinate) {
            Cell v = *value;
            error_fire(kCatScript, err::script::kCannotUse, &sel, &v);
        }
        return i;
    }
    if (type_of(&sel) == T_INTEGER) {
        auto k = static_cast<int32_t>(sel.data2);
        if (k >= 1 && k <= n) return k - 1;
    }
    Cell where = path ? *path : sel;
    error_fire(kCatScript, err::script::kInvalidPath, &where, &sel);
}

int coordinate_of_pick(int index, const Cell* boxed, int n) {
    if (boxed && is_any_word_type(type_of(boxed))) {
        int i = coordinate_of_word(boxed, n);
        if (i != kNotCoordinate) return i;
    } else if (index >= 1 && index <= n) {
        return index - 1;
    }
    Cell given = boxed ? *boxed : Cell{T_INTEGER, 0, static_cast<uint32_t>(index), 0};
    error_fire(kCatScript, err::script::kOutOfRange, &given);
}

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

} // namespace xel
