// The cost of a call that returns normally and of one that leaves by
// `return`. There is no interpreter yet, so this measures the frame protocol
// directly: a function frame pushed and popped, against the same frame left
// through stack_throw_exit and the pending-exit catch point. A third loop
// leaves through a C++ throw instead, the cost the pending protocol avoids.
#include <chrono>
#include <cstdio>

#include "runtime/datatypes/integer/integer.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kCount = 2000000;

Cell g_fn_word;
Cell g_return_word;
Cell g_value = integer_cell(7);
uint32_t g_caught = 0;

// The callee's body ends normally: its value becomes the caller's result.
void call_normal() {
    stack_mark_interp_func(&g_fn_word, 0);
    stack_set_flag(true);
    stack_push(&g_value);
    stack_unwind_last();
}

// The callee's body calls return: the raiser unwinds to the exit target,
// the caller returns at once and the function's catch point takes the code.
void raise_return() {
    stack_mark_native(&g_return_word);
    stack_push(&g_value);
    stack_throw_exit(true, false);
}
void call_return() {
    stack_mark_interp_func(&g_fn_word, 0);
    stack_set_flag(true);
    raise_return();
    if (exit_pending() && exit_take_if(kThrowReturn, kThrowExit) == 0) return;
    stack_unwind_last();
}

// The same exit as a C++ exception.
[[gnu::noinline]] void raise_return_throw() {
    stack_mark_native(&g_return_word);
    stack_push(&g_value);
    stack_throw_exit(true, false);
    exit_raise_pending();
}
void call_return_throw() {
    stack_mark_interp_func(&g_fn_word, 0);
    stack_set_flag(true);
    try {
        raise_return_throw();
    } catch (const Throw& t) {
        g_caught = t.code;
    }
    stack_unwind_last();
}

} // namespace

int main() {
    runtime_init();
    g_fn_word = *word_load("f");
    g_return_word = *word_load("return");
    stack_mark_native(&g_fn_word);

    auto time = [](void (*call)()) {
        auto t0 = Clock::now();
        for (int i = 0; i < kCount; i++) {
            call();
            stack_keep();
        }
        auto t1 = Clock::now();
        return std::chrono::duration<double, std::nano>(t1 - t0).count() / kCount;
    };
    double normal = time(call_normal);
    double ret = time(call_return);
    double thrown = time(call_return_throw);
    std::printf("call, normal end:          %.1f ns\n", normal);
    std::printf("call, left by return:      %.1f ns (pending exit)\n", ret);
    std::printf("call, return as C++ throw: %.1f ns (for comparison)\n", thrown);
    std::printf("result %d, frames %u, caught %08X\n", integer_get(stack_arguments()),
                static_cast<unsigned>(g_frames_top - g_frames_base), g_caught);
}
