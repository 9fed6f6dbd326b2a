// The natives that steer evaluation: conditionals, function makers, block
// evaluators, try/catch/throw and the exits. Each has the native shape of
// native-call.h: arguments in the current frame, result in its first cell.
#pragma once
#include <cstdint>

namespace xel {

// Conditionals (conditionals.cpp).
uint32_t natives_if(int check, const int32_t* refs);
uint32_t natives_unless(int check, const int32_t* refs);
uint32_t natives_either(int check, const int32_t* refs);
uint32_t natives_any(int check, const int32_t* refs);
uint32_t natives_all(int check, const int32_t* refs);
uint32_t natives_switch(int check, const int32_t* refs);
uint32_t natives_case(int check, const int32_t* refs);

// Function makers and apply (functions.cpp).
uint32_t natives_func(int check, const int32_t* refs);
uint32_t natives_function(int check, const int32_t* refs);
uint32_t natives_does(int check, const int32_t* refs);
uint32_t natives_has(int check, const int32_t* refs);
uint32_t natives_apply(int check, const int32_t* refs);

// Block evaluators (do-reduce-compose.cpp). do returns the pending exit code
// it passes on (0 when none).
uint32_t natives_do(int check, const int32_t* refs);
uint32_t natives_reduce(int check, const int32_t* refs);
uint32_t natives_compose(int check, const int32_t* refs);

// try, catch and throw (try-catch-throw.cpp). try returns the pending exit
// code it passes on (0 when none).
uint32_t natives_try(int check, const int32_t* refs);
uint32_t natives_catch(int check, const int32_t* refs);
uint32_t natives_throw(int check, const int32_t* refs);

// Exits (exits.cpp).
uint32_t natives_break(int check, const int32_t* refs);
uint32_t natives_continue(int check, const int32_t* refs);
uint32_t natives_exit(int check, const int32_t* refs);
uint32_t natives_return(int check, const int32_t* refs);

} // namespace xel
