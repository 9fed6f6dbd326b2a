// swap and take on strings and binaries.
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

uint32_t clamped_index(const Cell* s) {
    return series_index(s) < 0 ? 0 : static_cast<uint32_t>(series_index(s));
}

// A binary! holds bytes: a wider code point written into one is refused
// rather than widening its buffer.
void check_fits(const Cell* target, uint32_t cp) {
    if (type_of(target) == T_BINARY && cp > 0xFF) {
        Cell c{T_CHAR, 0, cp, 0};
        error_fire(kCatScript, err::script::kOutOfRange, &c);
    }
}

} // namespace

Cell* string_swap(Cell* series1, Cell* series2) {
    Cell a = *series1;
    Cell b = *series2;
    if (!is_string_kind(type_of(&b)) && type_of(&b) != T_BINARY)
        error_fire(kCatScript, err::script::kInvalidArg, &b);
    uint32_t ia = clamped_index(&a);
    uint32_t ib = clamped_index(&b);
    if (ia < string_xs_length_from_head(&a) && ib < string_xs_length_from_head(&b)) {
        bool told_a = ownership_notify_before(&a, Change::Swap, nullptr, static_cast<int>(ia), 1);
        bool told_b = ownership_notify_before(&b, Change::Swap, nullptr, static_cast<int>(ib), 1);
        // The handlers may have shortened either string.
        if (ia < string_xs_length_from_head(&a) && ib < string_xs_length_from_head(&b)) {
            uint32_t ca = string_char_at(&a, ia);
            uint32_t cb = string_char_at(&b, ib);
            check_fits(&a, cb);
            check_fits(&b, ca);
            string_poke_char_at(string_buffer(&a), ia, cb);
            string_poke_char_at(string_buffer(&b), ib, ca);
        }
        if (told_a) ownership_notify_after(&a, Change::Swap, nullptr, static_cast<int>(ia), 1);
        if (told_b) ownership_notify_after(&b, Change::Swap, nullptr, static_cast<int>(ib), 1);
    }
    Cell* result = stack_arguments();
    *result = a;
    return result;
}

Cell* string_take(Cell* series, Cell* part, bool deep, bool last) {
    Cell* result = series_take(series, part, deep, last);
    if (part || type_of(result) == T_NONE || string_xs_length(result) != 1) return result;
    uint32_t cp = string_char_at(result, 0);
    if (type_of(result) == T_BINARY)
        set_integer(result, static_cast<int32_t>(cp));
    else if (is_string_kind(type_of(result)))
        *result = Cell{T_CHAR, 0, cp, 0};
    return result;
}

} // namespace xel
