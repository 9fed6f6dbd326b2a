// Pending exits: how break, continue, return, exit and throw leave the calls
// between the raiser and its target without a C++ exception.
//
// The protocol:
// - The raiser (stack_throw_break, stack_throw_exit, stack_throw_throw) unwinds
//   the call frames to its target exactly as a throw would, stores the exit
//   code in g_pending_exit and RETURNS.
// - Every C++ caller of the evaluator checks exit_pending() right after each
//   call and, while it is set, returns at once without touching the stacks
//   (the raiser has already put them where the target expects them).
// - The catch point of the target frame kind consumes the code with
//   exit_take() / exit_take_if(): a loop takes break and continue, a function
//   exit target takes return and exit, catch takes throw. A catch point that
//   receives a code it does not handle leaves it pending and returns.
// - Where a C++ caller cannot return early (a callback inside a C++ algorithm
//   such as a sort comparator), it calls exit_raise_pending(), which turns the
//   pending code into throw_code(code); the enclosing native runs the
//   algorithm inside exit_boundary(), which turns it back into a pending code.
// Language errors are not pending exits: they travel as Throw{kThrowError}
// after stack_throw_error has unwound the frames.
#pragma once
#include <cstdint>

#include "runtime/core/throw.h"
#include "runtime/invariant.h"

namespace xel {

// 0, or one of kThrowBreak, kThrowContinue, kThrowReturn, kThrowExit, kThrowThrow.
extern uint32_t g_pending_exit;

inline bool is_exit_code(uint32_t code) {
    return code >= kThrowThrow && code <= kThrowBreak;
}

inline bool exit_pending() {
    return g_pending_exit != 0;
}

inline void exit_set(uint32_t code) {
    g_pending_exit = code;
}

// Takes the pending code (0 when none) and clears it.
inline uint32_t exit_take() {
    uint32_t code = g_pending_exit;
    g_pending_exit = 0;
    return code;
}

// Takes the pending code only when it is one of the two given (a loop passes
// break and continue, a function return and exit); answers the code or 0.
inline uint32_t exit_take_if(uint32_t a, uint32_t b = 0) {
    uint32_t code = g_pending_exit;
    if (code == 0 || (code != a && code != b)) return 0;
    g_pending_exit = 0;
    return code;
}

// What an evaluator entry returns. It is [[nodiscard]], so a caller that does
// not look for a pending exit does not compile; its value (for the entries
// that walk code, the position after what they evaluated) may be read only
// while no exit is pending. A caller that returns at once may drop it with
// (void), since the exit then travels on with its return:
//   Evaluated<Cell*> next = interp_eval_expression(pos, end, &code, false, true, false);
//   if (next.exit_pending()) return 0;
//   pos = next.value();
template <class T = void> class [[nodiscard]] Evaluated {
  public:
    Evaluated(T value) : value_(value) {}
    bool exit_pending() const { return g_pending_exit != 0; }
    T value() const {
        XEL_ASSERT(g_pending_exit == 0);
        return value_;
    }

  private:
    T value_;
};

template <> class [[nodiscard]] Evaluated<void> {
  public:
    bool exit_pending() const { return g_pending_exit != 0; }
};

// For callers that cannot return early: the pending code becomes a C++ throw.
[[noreturn]] inline void exit_raise_pending() {
    throw_code(exit_take());
}

// Runs body; a pending exit raised inside it as a C++ throw becomes pending
// again when body unwinds. Errors and other codes pass through.
template <class Body> inline void exit_boundary(Body&& body) {
    try {
        body();
    } catch (const Throw& t) {
        if (!is_exit_code(t.code)) throw;
        g_pending_exit = t.code;
    }
}

} // namespace xel
