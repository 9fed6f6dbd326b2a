// Fast paths for compiled code: integer and float arithmetic, integer
// comparison and block navigation without dispatch or frame in the common
// case; any other operands fall back to the generic action in a native frame
// named by word. An operator or navigation code outside its table is a fault
// of the calling code: run-time error 101.
#pragma once
#include <cstdint>

#include "runtime/actions/dispatch.h"
#include "runtime/cell.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/integer/number-math.h"

namespace xel {

// Math codes: 0 add, 1 subtract, 2 multiply, 5 or, 6 and, 7 xor. An
// overflowing integer add, subtract or multiply gives the float! of the
// operation done in double precision.
void ops_int_math(int code, const Cell* word, const Cell* left, const Cell* right);
void ops_int_math_imm(int code, const Cell* word, const Cell* left, int32_t right);
// The top cell is the left operand and is replaced by the result.
void ops_int_math_top(int code, const Cell* word, const Cell* right);
void ops_int_math_imm_top(int code, const Cell* word, int32_t right);

// Comparison codes 0-6 (== is =).
void ops_int_compare(int code, const Cell* word, const Cell* left, const Cell* right);
void ops_int_compare_imm(int code, const Cell* word, const Cell* left, int32_t right);
bool ops_int_compare_q(int code, const Cell* word, const Cell* left, const Cell* right,
                       bool negate);
bool ops_int_compare_imm_q(int code, const Cell* word, const Cell* left, int32_t right,
                           bool negate);
// Also stores the logic! in the current result slot.
bool ops_int_compare_set_q(int code, const Cell* word, const Cell* left, const Cell* right);
bool ops_int_compare_imm_set_q(int code, const Cell* word, const Cell* left, int32_t right);
void ops_int_compare_top(int code, const Cell* word, const Cell* right);
void ops_int_compare_imm_top(int code, const Cell* word, int32_t right);

// Both integers; false when the result overflows 32 bits (then *d holds
// the operation done in double precision, computed only then). Codes as for
// ops_int_math.
inline bool ops_int_op(int code, int32_t l, int32_t r, int32_t* out, double* d) {
    switch (code) {
    case kMathAdd:
        if (!__builtin_add_overflow(l, r, out)) return true;
        *d = static_cast<double>(l) + static_cast<double>(r);
        return false;
    case kMathSubtract:
        if (!__builtin_sub_overflow(l, r, out)) return true;
        *d = static_cast<double>(l) - static_cast<double>(r);
        return false;
    case kMathMultiply:
        if (!__builtin_mul_overflow(l, r, out)) return true;
        *d = static_cast<double>(l) * static_cast<double>(r);
        return false;
    case kMathOr:
        *out = l | r;
        return true;
    case kMathAnd:
        *out = l & r;
        return true;
    default:
        *out = l ^ r;
        return true;
    }
}

// The cases that need neither dispatch nor frame, into out (which may be
// left): every math code on two integers, codes 0-2 on integers and floats.
// false: the generic action must run.
inline bool ops_math_try(int code, const Cell* left, const Cell* right, Cell* out) {
    uint8_t lt = type_of(left), rt = type_of(right);
    if (lt == T_INTEGER && rt == T_INTEGER) {
        int32_t r;
        double d;
        if (ops_int_op(code, integer_get(left), integer_get(right), &r, &d))
            set_integer(out, r);
        else
            float_set_cell(out, d);
        return true;
    }
    if ((lt == T_FLOAT || lt == T_INTEGER) && (rt == T_FLOAT || rt == T_INTEGER) &&
        code <= kMathMultiply) {
        double a = lt == T_FLOAT ? float_get(left) : integer_get(left);
        double b = rt == T_FLOAT ? float_get(right) : integer_get(right);
        float_set_cell(out, code == kMathAdd ? a + b : (code == kMathSubtract ? a - b : a * b));
        return true;
    }
    return false;
}

// Comparison codes 0-6 on two integers.
inline bool ops_int_test(int code, int32_t l, int32_t r) {
    switch (code) {
    case kCmpEqual:
    case kCmpStrictEqual:
        return l == r;
    case kCmpNotEqual:
        return l != r;
    case kCmpLesser:
        return l < r;
    case kCmpLesserEqual:
        return l <= r;
    case kCmpGreater:
        return l > r;
    default:
        return l >= r;
    }
}

// A comparison on two integers into out as a logic!; false for other operands.
inline bool ops_compare_try(int code, const Cell* left, const Cell* right, Cell* out) {
    if (type_of(left) != T_INTEGER || type_of(right) != T_INTEGER) return false;
    set_logic(out, ops_int_test(code, integer_get(left), integer_get(right)));
    return true;
}

// pick of a block at n (1-based from its index): none! outside 1..length.
void ops_block_pick(const Cell* value, int32_t n, const Cell* word);
// Navigation codes: 1 length?, 2 index?, 3 head?, 4 tail?, 5 next, 6 back,
// 7 head, 8 tail.
void ops_block_reflect(const Cell* value, int code, const Cell* word);

} // namespace xel
