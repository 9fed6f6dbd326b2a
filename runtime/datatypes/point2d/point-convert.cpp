// make and to, random and the text of point2D! and point3D!.
#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/hashing/murmur3.h"
#include "runtime/lexer/lexer.h"
#include "runtime/text/float-text.h"
#include "services/random/random.h"

namespace xel {

namespace {

// The float formatter's kind for point coordinates.
constexpr int kPointCoordinateText = 5;
// The /seed hash does not depend on the run's table seed.
constexpr uint32_t kSeedHashSeed = 0;

[[noreturn]] void bad_to_arg(uint8_t type, const Cell* source) {
    Cell datatype = datatype_cell(type);
    Cell copy = *source;
    error_fire(kCatScript, err::script::kBadToArg, &datatype, &copy);
}

double number_of(const Cell* c) {
    return type_of(c) == T_INTEGER ? double(static_cast<int32_t>(c->data2)) : cell_double(c);
}

// The first n values of the block from its position, integer! or float!.
void block_coordinates(const Cell* spec, int n, double out[3]) {
    Cell blk = *spec;
    uint32_t from = series_clamped_index(&blk);
    if (block_buffer_length(&blk) - from < static_cast<uint32_t>(n))
        error_fire(kCatSyntax, err::syntax::kMalconstruct, &blk);
    for (int i = 0; i < n; i++) {
        const Cell* c = block_cell_at(&blk, from + static_cast<uint32_t>(i));
        if (type_of(c) != T_INTEGER && type_of(c) != T_FLOAT)
            error_fire(kCatSyntax, err::syntax::kMalconstruct, &blk);
        out[i] = number_of(c);
    }
}

} // namespace

Cell* point_make(Cell*, Cell* spec, int type) {
    auto target = static_cast<uint8_t>(type);
    int n = point_size(target);
    double v[3] = {0.0, 0.0, 0.0};
    switch (type_of(spec)) {
    case T_INTEGER:
    case T_FLOAT:
        v[0] = v[1] = v[2] = number_of(spec);
        break;
    case T_PAIR:
        v[0] = pair_x(spec);
        v[1] = pair_y(spec);
        break;
    case T_POINT2D:
        if (target == T_POINT2D) return stack_set_last(spec);
        point_read(spec, v);
        break;
    case T_POINT3D:
        if (target != T_POINT3D) bad_to_arg(target, spec);
        return stack_set_last(spec);
    case T_BLOCK:
        block_coordinates(spec, n, v);
        break;
    case T_STRING: {
        Cell loaded{};
        Cell value = *lexer_scan_single(spec, &loaded);
        if (type_of(&value) != target) bad_to_arg(target, spec);
        return stack_set_last(&value);
    }
    default:
        bad_to_arg(target, spec);
    }
    Cell* result = stack_arguments();
    point_make_at(result, target, v);
    return result;
}

Cell* point_random(Cell* value, bool seed, bool secure, bool) {
    uint8_t type = type_of(value);
    Cell* result = stack_arguments();
    if (seed) {
        random_seed(murmur3(&value->data1, 4 * point_size(type), kSeedHashSeed));
        set_unset(result);
        return result;
    }
    double v[3];
    point_read(value, v);
    for (int i = 0; i < point_size(type); i++)
        if (v[i] != 0.0) v[i] = float_random_value(v[i], secure);
    point_make_at(result, type, v);
    return result;
}

int point_form(Cell* value, Cell* buffer, Cell*, int part) {
    double v[3];
    point_read(value, v);
    int n = point_size(type_of(value));
    string_concatenate_literal(buffer, "(");
    part -= 1;
    for (int i = 0; i < n; i++) {
        if (i > 0) {
            string_concatenate_literal(buffer, ", ");
            part -= 2;
        }
        const char* text = float_form_value(v[i], kPointCoordinateText);
        part -= static_cast<int>(std::strlen(text));
        string_concatenate_literal(buffer, text);
    }
    string_concatenate_literal(buffer, ")");
    return part - 1;
}

int point_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    return point_form(value, buffer, arg, part);
}

} // namespace xel
