// uppercase and lowercase in place: a char! or a string from its position.
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"
#include "runtime/text/casefold.h"

namespace xel {

void casefold_change_case(Cell* value, int part_index, int direction) {
    if (type_of(value) == T_CHAR) {
        value->data2 = static_cast<uint32_t>(
            casefold_convert_char(static_cast<int32_t>(value->data2), direction));
        return;
    }
    string_char_at_index(value); // a position past the tail goes back to it
    uint32_t pos = value->data1;
    int32_t count = string_xs_length(value);
    if (part_index > 0) {
        int32_t n = series_part_count(value, stack_arguments() + part_index);
        if (n < count) count = n < 0 ? 0 : n;
    }
    for (uint32_t i = pos; i < pos + static_cast<uint32_t>(count); i++) {
        auto cp = static_cast<int32_t>(string_char_at(value, i));
        int32_t mapped = casefold_convert_char(cp, direction);
        if (mapped != cp)
            string_poke_char_at(string_buffer(value), i, static_cast<uint32_t>(mapped));
    }
    ownership_notify_after(value, direction == kFoldUpper ? Change::Uppercase : Change::Lowercase,
                           nullptr, static_cast<int>(pos), count);
}

} // namespace xel
