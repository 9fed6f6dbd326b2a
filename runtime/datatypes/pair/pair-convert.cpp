// make and to, random and the cell helpers of pair!.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/pair/pair.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "services/random/random.h"

namespace xel {

namespace {

[[noreturn]] void bad_to_arg(const Cell* source) {
    Cell type = datatype_cell(T_PAIR);
    Cell copy = *source;
    error_fire(kCatScript, err::script::kBadToArg, &type, &copy);
}

// A double that truncates to a 32-bit integer; anything else raises invalid-arg (the value).
int32_t truncated(double d, const Cell* value) {
    if (!(d > -2147483649.0 && d < 2147483648.0)) {
        Cell copy = *value;
        error_fire(kCatScript, err::script::kInvalidArg, &copy);
    }
    return static_cast<int32_t>(d);
}

// The first two values of the block from its position, integer! or float!.
void block_coordinates(const Cell* spec, int32_t out[2]) {
    Cell blk = *spec;
    uint32_t from = series_clamped_index(&blk);
    if (block_buffer_length(&blk) - from < 2)
        error_fire(kCatSyntax, err::syntax::kMalconstruct, &blk);
    for (uint32_t i = 0; i < 2; i++) {
        Cell c = *block_cell_at(&blk, from + i);
        if (type_of(&c) != T_INTEGER && type_of(&c) != T_FLOAT)
            error_fire(kCatSyntax, err::syntax::kMalconstruct, &blk);
        out[i] = pair_coordinate_of(&c);
    }
}

} // namespace

Cell* pair_make_in(Cell* blk, int32_t x, int32_t y) {
    Cell* c = block_alloc_tail_cell(blk);
    pair_make_at(c, x, y);
    return c;
}

int32_t pair_coordinate_of(const Cell* number) {
    if (type_of(number) == T_INTEGER) return integer_get(number);
    return truncated(cell_double(number), number);
}

Cell* pair_make(Cell*, Cell* spec, int) {
    int32_t xy[2];
    switch (type_of(spec)) {
    case T_PAIR:
        return stack_set_last(spec);
    case T_INTEGER:
    case T_FLOAT:
        xy[0] = xy[1] = pair_coordinate_of(spec);
        break;
    case T_POINT2D:
        for (int i = 0; i < 2; i++)
            xy[i] = truncated(point_coordinate(spec, i), spec);
        break;
    case T_BLOCK:
        block_coordinates(spec, xy);
        break;
    case T_STRING: {
        Cell loaded{};
        Cell value = *lexer_scan_single(spec, &loaded);
        if (type_of(&value) != T_PAIR) bad_to_arg(spec);
        return stack_set_last(&value);
    }
    default:
        bad_to_arg(spec);
    }
    Cell* result = stack_arguments();
    pair_make_at(result, xy[0], xy[1]);
    return result;
}

Cell* pair_random(Cell* value, bool seed, bool secure, bool) {
    Cell* result = stack_arguments();
    if (seed) {
        random_seed(value->data2 ^ value->data3);
        set_unset(result);
        return result;
    }
    int32_t x = random_int(pair_x(value), secure);
    int32_t y = random_int(pair_y(value), secure);
    pair_make_at(result, x, y);
    return result;
}

} // namespace xel
