// The comparison and math natives, and the helpers they share with the
// rest of the run-time. Every native takes its arguments from the current
// frame and leaves its result in the frame's first cell (native-call.h).
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// Arguments. The number types: integer!, float!, percent!.
inline bool natives_is_number(uint8_t type) {
    return type == T_INTEGER || type == T_FLOAT || type == T_PERCENT;
}
// Turns a number cell into float! in place (a percent! keeps its double)
// and answers its double.
double natives_arg_to_float(Cell* value);
// shift: arithmetic right, left, or logical right; a negative count is 0.
int32_t natives_shifted(int32_t data, int32_t bits, bool left, bool logical);

// Comparisons: [value1 value2] by the comparison codes 0-6; same? and not.
uint32_t natives_equal(int check, const int32_t* refs);
uint32_t natives_not_equal(int check, const int32_t* refs);
uint32_t natives_strict_equal(int check, const int32_t* refs);
uint32_t natives_lesser(int check, const int32_t* refs);
uint32_t natives_greater(int check, const int32_t* refs);
uint32_t natives_lesser_or_equal(int check, const int32_t* refs);
uint32_t natives_greater_or_equal(int check, const int32_t* refs);
uint32_t natives_same(int check, const int32_t* refs);
uint32_t natives_not(int check, const int32_t* refs);

// Identity: the same datatype and the same value or series position.
bool natives_same_values(const Cell* value1, const Cell* value2);

// Sign and zero tests.
uint32_t natives_negative(int check, const int32_t* refs);
uint32_t natives_positive(int check, const int32_t* refs);
uint32_t natives_sign(int check, const int32_t* refs);
uint32_t natives_zero(int check, const int32_t* refs);

// max and min; max_flag picks which.
void natives_max_min(bool max_flag);
uint32_t natives_max(int check, const int32_t* refs);
uint32_t natives_min(int check, const int32_t* refs);

// Bits: shift [data bits /left /logical], to-hex [value /size length].
uint32_t natives_shift(int check, const int32_t* refs);
uint32_t natives_to_hex(int check, const int32_t* refs);

// Trigonometry, in degrees unless /radians.
enum TrigMode : int {
    kTrigTangent = 0,
    kTrigCosine = 1,
    kTrigSine = 2,
};
// Folds an angle in degrees into the range where the mode's function is
// exact at the special angles, then converts it to radians.
double math_degrees_to_radians(double angle, int mode);
uint32_t natives_sine(int check, const int32_t* refs);
uint32_t natives_cosine(int check, const int32_t* refs);
uint32_t natives_tangent(int check, const int32_t* refs);
uint32_t natives_arcsine(int check, const int32_t* refs);
uint32_t natives_arccosine(int check, const int32_t* refs);
uint32_t natives_arctangent(int check, const int32_t* refs);
uint32_t natives_arctangent2(int check, const int32_t* refs);

// Float natives.
uint32_t natives_nan(int check, const int32_t* refs);
uint32_t natives_log_2(int check, const int32_t* refs);
uint32_t natives_log_10(int check, const int32_t* refs);
uint32_t natives_log_e(int check, const int32_t* refs);
uint32_t natives_exp(int check, const int32_t* refs);
uint32_t natives_square_root(int check, const int32_t* refs);

// Constructors of pair! and the points.
uint32_t natives_as_pair(int check, const int32_t* refs);
uint32_t natives_as_point2d(int check, const int32_t* refs);
uint32_t natives_as_point3d(int check, const int32_t* refs);

} // namespace xel
