// make, to and random of integer!.
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "runtime/symbols/symbols.h"
#include "services/random/random.h"

namespace xel {

namespace {

[[noreturn]] void bad_to_arg(const Cell* source) {
    Cell type = datatype_cell(T_INTEGER);
    Cell copy = *source;
    error_fire(kCatScript, err::script::kBadToArg, &type, &copy);
}

// Hex digits by the low 7 bits of a code point; 255 for everything else.
constexpr uint8_t kNoDigit = 255;
struct HexTable {
    uint8_t digit[128];
    constexpr HexTable() : digit{} {
        for (uint8_t& d : digit)
            d = kNoDigit;
        for (int i = 0; i < 10; i++)
            digit['0' + i] = static_cast<uint8_t>(i);
        for (int i = 0; i < 6; i++) {
            digit['A' + i] = static_cast<uint8_t>(10 + i);
            digit['a' + i] = static_cast<uint8_t>(10 + i);
        }
    }
};
constexpr HexTable kHex;

// The spelling read as up to 8 hexadecimal digits.
int32_t issue_to_integer(const Cell* issue) {
    uint32_t length = 0;
    const char* name = symbol_name(word_symbol(issue), &length);
    Cell copy = *issue;
    if (length > 8) error_fire(kCatScript, err::script::kInvalidData, &copy);
    uint32_t value = 0;
    for (uint32_t i = 0; i < length; i++) {
        uint8_t c = static_cast<uint8_t>(name[i]);
        // Bytes of a multi-byte character are never hex digits.
        uint8_t digit = c < 32 || c >= 128 ? kNoDigit : kHex.digit[c];
        if (digit == kNoDigit) error_fire(kCatScript, err::script::kInvalidData, &copy);
        value = value * 16 + digit;
    }
    return static_cast<int32_t>(value);
}

// The first min(length, 4) bytes from the position, big-endian.
int32_t binary_to_integer(const Cell* bin) {
    return static_cast<int32_t>(static_cast<uint32_t>(binary_leading_bits(bin, 4)));
}

int32_t text_to_integer(const Cell* str) {
    uint32_t index = series_clamped_index(str);
    uint32_t unit = series_unit(str);
    const uint8_t* start = at(series_buffer(str)->head) + index * unit;
    int32_t length = static_cast<int32_t>(series_buffer_length(str) - index);
    int error = 0;
    int32_t v = lexer_scan_integer(start, length, unit, &error);
    if (error != 0) bad_to_arg(str);
    return v;
}

} // namespace

Cell* integer_to(Cell*, Cell* spec, int) {
    int32_t v;
    switch (type_of(spec)) {
    case T_INTEGER:
    case T_CHAR:
        v = integer_get(spec);
        break;
    case T_FLOAT:
    case T_PERCENT:
        if (integer_float_overflow(spec)) {
            Cell type = datatype_cell(T_INTEGER);
            error_fire(kCatScript, err::script::kTypeLimit, &type);
        }
        v = float_to_int32(cell_double(spec));
        break;
    case T_TIME:
        v = float_to_int32(cell_double(spec) + 0.5);
        break;
    case T_MONEY:
        if (!g_number_handovers.money_to_integer) bad_to_arg(spec);
        v = g_number_handovers.money_to_integer(spec);
        break;
    case T_DATE:
        if (!g_number_handovers.date_to_integer) bad_to_arg(spec);
        v = g_number_handovers.date_to_integer(spec);
        break;
    case T_BINARY:
        v = binary_to_integer(spec);
        break;
    case T_ISSUE:
        v = issue_to_integer(spec);
        break;
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
        v = text_to_integer(spec);
        break;
    default:
        bad_to_arg(spec);
    }
    return integer_box(v);
}

Cell* integer_make(Cell* proto, Cell* spec, int type) {
    if (type_of(spec) == T_LOGIC) return integer_box(spec->data1 == 1 ? 1 : 0);
    return integer_to(proto, spec, type);
}

Cell* integer_random(Cell* value, bool seed, bool secure, bool) {
    if (seed) {
        random_seed(value->data2);
        set_unset(stack_arguments());
        return stack_arguments();
    }
    value->data2 = static_cast<uint32_t>(random_int(integer_get(value), secure));
    return stack_set_last(value);
}

} // namespace xel
