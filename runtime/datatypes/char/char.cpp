// Making, forming, molding and comparing char! values; the row of char!.
#include "runtime/datatypes/char/char.h"

#include <cmath>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/text/unicode.h"

namespace xel {

namespace {

[[noreturn]] void bad_to_arg(const Cell* spec) {
    Cell dt = datatype_cell(T_CHAR);
    error_fire(kCatScript, err::script::kBadToArg, &dt, spec);
}

uint32_t checked_code_point(double v, const Cell* spec) {
    v = std::trunc(v);
    if (!(v >= 0 && v <= kMaxCodePoint)) error_fire(kCatScript, err::script::kOutOfRange, spec);
    return static_cast<uint32_t>(v);
}

// The first UTF-8 sequence at the binary's position, decoded strictly.
uint32_t first_code_point(const Cell* spec) {
    const SeriesBuf* buf = buffer_of(spec->data2);
    uint32_t used = buf->used();
    if (spec->data1 >= used) bad_to_arg(spec);
    const uint8_t* p = at(buf->head + spec->data1);
    uint32_t left = used - spec->data1;
    int announced = utf8_lead_length(*p);
    uint32_t len = announced ? static_cast<uint32_t>(announced) : 1;
    uint32_t avail = len;
    int32_t cp = len <= left ? utf8_decode_char_replacing(p, &avail) : kUtf8TooShort;
    if (cp == kUtf8TooShort || cp == kUtf8Refused) {
        Cell bytes;
        string_bytes_to_binary(&bytes, p, len < left ? len : left);
        error_fire(kCatAccess, err::access::kInvalidUtf8, &bytes);
    }
    return static_cast<uint32_t>(cp);
}

} // namespace

Cell* char_push(uint32_t cp) {
    Cell* c = stack_push_cell();
    char_set(c, cp);
    return c;
}

Cell* char_make_in(Cell* block, uint32_t cp) {
    Cell* c = series_alloc_tail_cell(buffer_of(block->data2));
    char_set(c, cp);
    return c;
}

Cell* char_make(Cell*, Cell* spec, int) {
    uint32_t cp;
    switch (type_of(spec)) {
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
        if (string_xs_tail(spec)) bad_to_arg(spec);
        cp = string_char_at(spec, spec->data1);
        break;
    case T_CHAR:
    case T_INTEGER:
        cp = checked_code_point(static_cast<int32_t>(spec->data2), spec);
        break;
    case T_FLOAT:
    case T_PERCENT:
        cp = checked_code_point(cell_double(spec), spec);
        break;
    case T_BINARY:
        cp = first_code_point(spec);
        break;
    default:
        bad_to_arg(spec);
    }
    Cell* result = stack_arguments();
    char_set(result, cp);
    return result;
}

int char_form(Cell* value, Cell* buffer, Cell*, int part) {
    string_append_char(string_buffer(buffer), char_value(value));
    return part - 1;
}

int char_mold(Cell* value, Cell* buffer, bool, bool all, bool, Cell*, int part, int) {
    string_concatenate_literal(buffer, "#\"");
    string_mold_char(buffer, char_value(value), all);
    string_concatenate_literal(buffer, "\"");
    return part - 4;
}

int char_compare(Cell* value1, Cell* value2, int op) {
    uint8_t t2 = type_of(value2);
    if ((op == kCmpStrictEqual || op == kCmpFind) && t2 != T_CHAR) return 1;
    if (t2 != T_CHAR && t2 != T_INTEGER) return -2;
    auto a = static_cast<int32_t>(value1->data2);
    auto b = static_cast<int32_t>(value2->data2);
    return a < b ? -1 : a > b ? 1 : 0;
}

void char_row(ActionList& row) {
    row.set<A_MAKE>(char_make)
        .set<A_TO>(char_make)
        .set<A_FORM>(char_form)
        .set<A_MOLD>(char_mold)
        .set<A_COMPARE>(char_compare)
        .set<A_ADD>([] { char_do_math(kMathAdd); })
        .set<A_SUBTRACT>([] { char_do_math(kMathSubtract); })
        .set<A_MULTIPLY>([] { char_do_math(kMathMultiply); })
        .set<A_DIVIDE>([] { char_do_math(kMathDivide); })
        .set<A_REMAINDER>([] { char_do_math(kMathRemainder); })
        .set<A_OR_T>([] { char_do_math(kMathOr); })
        .set<A_AND_T>([] { char_do_math(kMathAnd); })
        .set<A_XOR_T>([] { char_do_math(kMathXor); })
        .inherit(A_RANDOM)
        .inherit(A_ABSOLUTE)
        .inherit(A_EVEN_Q)
        .inherit(A_ODD_Q);
}

} // namespace xel
