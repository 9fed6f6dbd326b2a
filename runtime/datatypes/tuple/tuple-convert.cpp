// make and to, and random, of tuple!.
#include <cmath>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/tuple/tuple.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "services/random/random.h"

namespace xel {

namespace {

[[noreturn]] void bad_to_arg(const Cell* source) {
    Cell type = datatype_cell(T_TUPLE);
    Cell copy = *source;
    error_fire(kCatScript, err::script::kBadToArg, &type, &copy);
}

// An integer!, char! or float! (truncated) value of 0..255.
bool byte_of(const Cell* c, uint8_t* out) {
    double v;
    switch (type_of(c)) {
    case T_INTEGER:
    case T_CHAR:
        v = static_cast<int32_t>(c->data2);
        break;
    case T_FLOAT:
        v = std::trunc(cell_double(c));
        break;
    default:
        return false;
    }
    if (!(v >= 0.0 && v <= 255.0)) return false;
    *out = static_cast<uint8_t>(v);
    return true;
}

void from_block(Cell* result, const Cell* spec) {
    Cell blk = *spec;
    uint32_t from = series_clamped_index(&blk);
    uint32_t count = block_buffer_length(&blk) - from;
    if (count > kTupleMaxBytes) bad_to_arg(spec);
    uint8_t bytes[kTupleMaxBytes];
    for (uint32_t i = 0; i < count; i++)
        if (!byte_of(block_cell_at(&blk, from + i), &bytes[i])) bad_to_arg(spec);
    tuple_make_at(result, bytes, count);
}

} // namespace

Cell* tuple_make(Cell*, Cell* spec, int) {
    Cell* result = stack_arguments();
    switch (type_of(spec)) {
    case T_TUPLE:
        return stack_set_last(spec);
    case T_BLOCK:
    case T_PAREN:
    case T_HASH:
        from_block(result, spec);
        return result;
    case T_BINARY: {
        Cell bin = *spec;
        tuple_make_from_binary(result, &bin);
        return result;
    }
    case T_ISSUE: {
        Cell issue = *spec;
        tuple_make_from_issue(result, &issue);
        return result;
    }
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF: {
        Cell loaded{};
        Cell value = *lexer_scan_single(spec, &loaded);
        if (type_of(&value) != T_TUPLE) bad_to_arg(spec);
        return stack_set_last(&value);
    }
    default:
        bad_to_arg(spec);
    }
}

Cell* tuple_random(Cell* value, bool seed, bool secure, bool) {
    Cell v = *value;
    Cell* result = stack_arguments();
    if (seed) {
        random_seed(v.data1 ^ v.data2 ^ v.data3);
        set_unset(result);
        return result;
    }
    uint8_t* bytes = tuple_bytes_mut(&v);
    for (uint32_t i = 0; i < tuple_count(&v); i++)
        bytes[i] = static_cast<uint8_t>(random_int(bytes[i] + 1, secure) - 1);
    return stack_set_last(&v);
}

} // namespace xel
