// What the arithmetic of integer!, char!, float! and their children share:
// the math operation codes, and the hand-over points through which mixed
// arithmetic, comparison and conversion reach the types that carry their own
// math (money!, pair!, point2D!, point3D!, tuple!, vector!, date!). Those
// types fill the hand-overs when they register; until one is filled, a value
// of that type is refused as an unsupported operand or source.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

enum MathOp : int {
    kMathAdd = 0,
    kMathSubtract = 1,
    kMathMultiply = 2,
    kMathDivide = 3,
    kMathRemainder = 4,
    kMathOr = 5,
    kMathAnd = 6,
    kMathXor = 7,
};

// A type's math body: works on the current frame's two arguments with the op
// code and leaves the result in the frame's result slot. integer! and float!
// call it with the frame as each type expects: money!, tuple! (from
// float!) and vector! get the frame as it came (the number first); pair!,
// point2D!, point3D!, tuple! (from integer!) and date! get it swapped (their
// value first, the number second).
using MathBody = void (*)(int op);

struct NumberHandovers {
    MathBody math[kTypeTableSize];
    // compare of a number (as a double) with a money! value under op.
    int (*money_compare)(double x, const Cell* money, int op);
    double (*money_to_float)(const Cell* money);
    int32_t (*money_to_integer)(const Cell* money);
    // Seconds since 1970-01-01 00:00 UTC.
    int32_t (*date_to_integer)(const Cell* date);
};

extern NumberHandovers g_number_handovers;

} // namespace xel
