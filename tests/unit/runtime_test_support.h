// Shared by the unit tests that need a run-time: a fresh one per test, and
// running code under a try frame with the stacks put back afterwards.
#pragma once
#include <gtest/gtest.h>

#include "runtime/core/throw.h"
#include "runtime/error-fire.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"

namespace xel::test {

class RuntimeFixture : public ::testing::Test {
  protected:
    void SetUp() override { runtime_init(); }
};

// Runs mark (which pushes the frames the body needs), then body, catching
// language errors; returns the throw code (0 when none) with the argument
// stack and the frames as they were before mark.
template <class Mark, class Body> uint32_t caught_restoring(Mark&& mark, Body&& body) {
    Cell* args = g_stack_args;
    Cell* top = g_stack_top;
    CallFrame* frames = g_frames_top;
    mark();
    uint32_t code = catch_at(kCatchErrors, body);
    g_stack_args = args;
    g_stack_top = top;
    g_frames_top = frames;
    return code;
}

// Runs body under a try frame, as the language's try does.
template <class Body> uint32_t under_try(Body&& body) {
    return caught_restoring([] { stack_mark_try(g_word_try); }, body);
}

} // namespace xel::test
