// Path access to a string: an index picks or pokes a character; any other
// element (but a word) is looked up and names the character after it.
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/error-fire.h"

namespace xel {

Cell* string_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell*, Cell*, int,
                       bool, bool, bool, bool) {
    Cell str = *parent;
    Cell elem = *element;
    if (type_of(&elem) == T_INTEGER) {
        auto n = static_cast<int32_t>(elem.data2);
        return value ? series_poke(&str, n, value, &elem) : series_pick(&str, n, &elem);
    }
    Cell* where = path ? path : &elem;
    if (type_of(&elem) == T_WORD) error_fire(kCatScript, err::script::kInvalidPath, where, &elem);
    if (!value) return string_select(&str, &elem, FindOptions{});
    Cell v = *value;
    StringFind f{&str,  &elem, nullptr, nullptr, false, false,
                 false, false, false,   false,   false, nullptr};
    uint32_t len = 0;
    int32_t i = string_find_index(f, &len);
    if (i < 0) error_fire(kCatScript, err::script::kBadPathSet, where, &elem);
    // The character after the match, counted 1-based from the string's position.
    int64_t offset = int64_t{i} + len - (series_index(&str) < 0 ? 0 : series_index(&str)) + 1;
    return series_poke(&str, static_cast<int>(offset), &v, &elem);
}

} // namespace xel
