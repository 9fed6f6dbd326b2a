// The core of logic!'s and~, or~ and xor~.
#pragma once

namespace xel {

// The math operation codes shared with integer! and bitset!.
enum LogicOp : int { kLogicOr = 5, kLogicAnd = 6, kLogicXor = 7 };

// The frame's first argument becomes the operation of its truth word and the
// second argument's, which must be logic! (else script expect-arg).
void logic_operator(LogicOp op);

} // namespace xel
