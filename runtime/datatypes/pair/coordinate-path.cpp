#include "runtime/datatypes/pair/coordinate-path.h"

#include "runtime/datatypes/path/path-fields.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

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
    path_fire_invalid_selector(path, &sel);
}

int coordinate_of_pick(int index, const Cell* boxed, int n) {
    if (boxed && is_any_word_type(type_of(boxed))) {
        int i = coordinate_of_word(boxed, n);
        if (i != kNotCoordinate) return i;
    } else if (index >= 1 && index <= n) {
        return index - 1;
    }
    pick_fire_out_of_range(index, boxed);
}

} // namespace xel
