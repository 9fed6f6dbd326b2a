// Text, compare and the byte-wise actions of tuple!, and its action row.
#include <algorithm>
#include <cstring>

#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/tuple/tuple.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/text/integer-text.h"

namespace xel {

namespace {

void tuple_add() {
    tuple_do_math(kMathAdd);
}
void tuple_subtract() {
    tuple_do_math(kMathSubtract);
}
void tuple_multiply() {
    tuple_do_math(kMathMultiply);
}
void tuple_divide() {
    tuple_do_math(kMathDivide);
}
void tuple_remainder() {
    tuple_do_math(kMathRemainder);
}
void tuple_or() {
    tuple_do_math(kMathOr);
}
void tuple_and() {
    tuple_do_math(kMathAnd);
}
void tuple_xor() {
    tuple_do_math(kMathXor);
}

// A /part or /skip count: a number, truncated.
int32_t count_of(const Cell* refinement, const Cell* value) {
    uint8_t t = type_of(value);
    if (t != T_INTEGER && t != T_FLOAT && t != T_PERCENT) {
        Cell copy = *value;
        error_fire(kCatScript, err::script::kInvalidRefineArg, refinement, &copy);
    }
    return float_to_integer_checked(value);
}

} // namespace

int tuple_form(Cell* value, Cell* buffer, Cell*, int part) {
    Cell v = *value;
    for (uint32_t i = 0; i < tuple_count(&v); i++) {
        if (i > 0) {
            string_concatenate_literal(buffer, ".");
            part -= 1;
        }
        const char* text = integer_to_text(tuple_bytes(&v)[i]);
        part -= static_cast<int>(std::strlen(text));
        string_concatenate_literal(buffer, text);
    }
    return part;
}

int tuple_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    return tuple_form(value, buffer, arg, part);
}

// Bytes past a count are stored as 0, so the longer count covers both.
int tuple_compare(Cell* value1, Cell* value2, int) {
    if (type_of(value2) != T_TUPLE) return -2;
    uint32_t n = std::max(tuple_count(value1), tuple_count(value2));
    const uint8_t* a = tuple_bytes(value1);
    const uint8_t* b = tuple_bytes(value2);
    for (uint32_t i = 0; i < n; i++)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

Cell* tuple_complement(Cell* value) {
    uint8_t* bytes = tuple_bytes_mut(value);
    for (uint32_t i = 0; i < tuple_count(value); i++)
        bytes[i] = static_cast<uint8_t>(~bytes[i]);
    return stack_set_last(value);
}

int tuple_length(Cell* value) {
    return static_cast<int>(tuple_count(value));
}

// The first part bytes (all by default), as records of skip bytes.
Cell* tuple_reverse(Cell* series, Cell* part, Cell* skip) {
    Cell v = *series;
    auto count = static_cast<int32_t>(tuple_count(&v));
    // A part below 0 reverses nothing, as 0 does.
    if (part) count = std::clamp(count_of(g_ref_part, part), 0, count);
    int32_t size = skip ? count_of(g_ref_skip, skip) : 1;
    if (size < 1) {
        Cell copy = *skip;
        error_fire(kCatScript, err::script::kOutOfRange, &copy);
    }
    if (count > 0 && count % size != 0) {
        Cell copy = *skip;
        error_fire(kCatScript, err::script::kInvalidRefineArg, g_ref_skip, &copy);
    }
    uint8_t* bytes = tuple_bytes_mut(&v);
    uint8_t record[kTupleMaxBytes];
    for (int32_t lo = 0, hi = count - size; lo < hi; lo += size, hi -= size) {
        std::memcpy(record, bytes + lo, size);
        std::memcpy(bytes + lo, bytes + hi, size);
        std::memcpy(bytes + hi, record, size);
    }
    return stack_set_last(&v);
}

void tuple_row(ActionList& row) {
    row.set<A_MAKE>(tuple_make)
        .set<A_RANDOM>(tuple_random)
        .set<A_TO>(tuple_make)
        .set<A_FORM>(tuple_form)
        .set<A_MOLD>(tuple_mold)
        .set<A_EVAL_PATH>(tuple_eval_path)
        .set<A_COMPARE>(tuple_compare)
        .set<A_ADD>(tuple_add)
        .set<A_DIVIDE>(tuple_divide)
        .set<A_MULTIPLY>(tuple_multiply)
        .set<A_REMAINDER>(tuple_remainder)
        .set<A_SUBTRACT>(tuple_subtract)
        .set<A_AND_T>(tuple_and)
        .set<A_COMPLEMENT>(tuple_complement)
        .set<A_OR_T>(tuple_or)
        .set<A_XOR_T>(tuple_xor)
        .set<A_LENGTH_Q>(tuple_length)
        .set<A_PICK>(tuple_pick)
        .set<A_REVERSE>(tuple_reverse);
    g_number_handovers.math[T_TUPLE] = tuple_do_math;
}

} // namespace xel
