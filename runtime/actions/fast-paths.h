// Fast paths for compiled code: integer and float arithmetic, integer
// comparison and block navigation without dispatch or frame in the common
// case; any other operands fall back to the generic action in a native frame
// named by word. An operator or navigation code outside its table is a fault
// of the calling code: run-time error 101.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

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

// The same cases for the interpreter's infix operators, where no frame may
// be pushed: math codes 0-2 on integers and floats, comparison codes
// 0-6 on two integers, into out. false: the generic call must run.
bool ops_math_try(int code, const Cell* left, const Cell* right, Cell* out);
bool ops_compare_try(int code, const Cell* left, const Cell* right, Cell* out);

// pick of a block at n (1-based from its index): none! outside 1..length.
void ops_block_pick(const Cell* value, int32_t n, const Cell* word);
// Navigation codes: 1 length?, 2 index?, 3 head?, 4 tail?, 5 next, 6 back,
// 7 head, 8 tail.
void ops_block_reflect(const Cell* value, int code, const Cell* word);

} // namespace xel
