// make, to and random of float! (and of percent!, which inherits them).
#include <cmath>

#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/number-math.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "services/random/random.h"

namespace xel {

namespace {

[[noreturn]] void bad_to_arg(uint8_t target, const Cell* source) {
    Cell type = datatype_cell(target);
    Cell copy = *source;
    error_fire(kCatScript, err::script::kBadToArg, &type, &copy);
}

// The text loaded as one value: a percent! or float! gives its double, an
// integer! its value; anything else fails.
bool text_to_percent(const Cell* str, double* out) {
    Cell loaded{};
    Cell* value = lexer_scan_single(str, &loaded);
    switch (type_of(value)) {
    case T_PERCENT:
    case T_FLOAT:
        *out = cell_double(value);
        return true;
    case T_INTEGER:
        *out = static_cast<int32_t>(value->data2);
        return true;
    default:
        return false;
    }
}

// The text from the position to the tail as a decimal number ("," or "." as the point).
bool text_to_float(const Cell* str, double* out) {
    uint32_t index = series_clamped_index(str);
    uint32_t unit = series_unit(str);
    int32_t length = static_cast<int32_t>(series_buffer_length(str) - index);
    if (length == 0) return false;
    int error = 0;
    *out = lexer_scan_float(at(series_buffer(str)->head) + index * unit, length, unit, &error);
    return error == 0;
}

// Up to 8 bytes from the position, big-endian and right-aligned, as the bits of a double.
double binary_to_float(const Cell* bin) {
    return std::bit_cast<double>(binary_leading_bits(bin, 8));
}

double block_element(const Cell* c) {
    uint8_t t = type_of(c);
    if (t == T_INTEGER) return static_cast<int32_t>(c->data2);
    if (t != T_FLOAT) bad_to_arg(T_FLOAT, c);
    return cell_double(c);
}

// [mantissa exponent]: mantissa x 10 ^ exponent (truncated to an integer).
bool block_to_float(const Cell* blk, double* out) {
    uint32_t index = series_clamped_index(blk);
    if (series_buffer_length(blk) - index != 2) return false;
    const Cell* cells = at<Cell>(series_buffer(blk)->head) + index;
    double mantissa = block_element(cells);
    double exponent = block_element(cells + 1);
    *out = mantissa * std::pow(10.0, double(float_to_int32(exponent)));
    return true;
}

} // namespace

Cell* float_make(Cell*, Cell* spec, int type) {
    uint8_t target = type == T_PERCENT ? T_PERCENT : T_FLOAT;
    double d = 0.0;
    bool ok = true;
    switch (type_of(spec)) {
    case T_INTEGER:
    case T_CHAR:
        d = static_cast<int32_t>(spec->data2);
        break;
    case T_FLOAT:
    case T_PERCENT:
    case T_TIME:
        d = cell_double(spec);
        break;
    case T_MONEY:
        ok = g_number_handovers.money_to_float != nullptr;
        if (ok) d = g_number_handovers.money_to_float(spec);
        break;
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
        ok = target == T_PERCENT ? text_to_percent(spec, &d) : text_to_float(spec, &d);
        break;
    case T_BINARY:
        d = binary_to_float(spec);
        break;
    case T_BLOCK:
    case T_PAREN:
    case T_HASH:
        ok = block_to_float(spec, &d);
        break;
    default:
        ok = false;
    }
    if (!ok) bad_to_arg(target, spec);
    Cell* result = stack_arguments();
    *result = Cell{target, 0, 0, 0};
    cell_set_double(result, d);
    return result;
}

double float_random_value(double x, bool secure) {
    if (!secure) return random_next() / 2147483647.0 * x;
    double s1 = random_next_secure();
    double s2 = random_next_secure();
    return (s1 / 2147483647.0 + s2) / (2147483648.0 / x);
}

Cell* float_random(Cell* value, bool seed, bool secure, bool) {
    if (seed) {
        random_seed(value->data2 ^ value->data3);
        set_unset(stack_arguments());
        return stack_arguments();
    }
    cell_set_double(value, float_random_value(cell_double(value), secure));
    return stack_set_last(value);
}

} // namespace xel
