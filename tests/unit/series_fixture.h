// Shared helpers of the series and block tests: a fresh run-time with one
// frame whose first cell is the result slot, values built directly as cells,
// and error expectations.
#pragma once
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <string>
#include <vector>

#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/printing/cycles.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "tests/unit/runtime_test_support.h"

namespace xel::test {

inline Cell none() {
    return Cell{T_NONE, 0, 0, 0};
}
inline Cell logic(bool b) {
    return Cell{T_LOGIC, b ? 1u : 0u, 0, 0};
}
inline Cell integer(int32_t n) {
    return Cell{T_INTEGER, 0, static_cast<uint32_t>(n), 0};
}
inline Cell datatype(uint8_t t) {
    return Cell{T_DATATYPE, t, 0, 0};
}
inline Cell pair(int32_t x, int32_t y) {
    return Cell{T_PAIR, 0, static_cast<uint32_t>(x), static_cast<uint32_t>(y)};
}
inline Cell nl(Cell c) {
    c.header |= kNewLineFlag;
    return c;
}
inline Cell at_index(Cell c, int32_t index) {
    c.data1 = static_cast<uint32_t>(index);
    return c;
}

inline Cell block(std::initializer_list<Cell> items, uint8_t type = T_BLOCK) {
    Cell b;
    block_make_at(&b, static_cast<int>(items.size()));
    for (const Cell& c : items)
        block_append_copy(&b, &c);
    cell_set_type(&b, type);
    return b;
}
inline Cell int_block(std::initializer_list<int32_t> items) {
    Cell b;
    block_make_at(&b, static_cast<int>(items.size()));
    for (int32_t n : items) {
        Cell c = integer(n);
        block_append_copy(&b, &c);
    }
    return b;
}
// The integers of a block from its head (other cells read as INT_MIN).
inline std::vector<int32_t> ints(const Cell& b) {
    std::vector<int32_t> out;
    for (uint32_t i = 0; i < block_buffer_length(&b); i++) {
        const Cell* c = block_cell_at(&b, i);
        out.push_back(type_of(c) == T_INTEGER ? static_cast<int32_t>(c->data2) : INT_MIN);
    }
    return out;
}

inline Cell text(const char* s) {
    Cell str;
    string_make_at(&str, 16);
    if (*s) string_concatenate_literal(&str, s);
    return str;
}
// A string's whole text from its head.
inline std::string whole_text(Cell s) {
    s.data1 = 0;
    return string_utf8_text(&s);
}

// mold (or form, with form set) through the type's own action, cut to the
// /part limit when one is given, as the action's stack-level entry does.
inline std::string mold(Cell v, bool only = false, bool all = false, bool flat = false,
                        int part = -1, int* left = nullptr) {
    Cell buf;
    string_make_at(&buf, 16);
    Cell limit{T_INTEGER, 0, static_cast<uint32_t>(part), 0};
    Cell* arg = part >= 0 ? &limit : nullptr;
    int n = action_of<A_MOLD>(type_of(&v))(&v, &buf, only, all, flat, arg,
                                           part >= 0 ? part : INT_MAX, 0);
    if (left) *left = n;
    std::string s = string_utf8_text(&buf);
    if (part >= 0 && s.size() > static_cast<size_t>(part)) s.resize(static_cast<size_t>(part));
    return s;
}
inline std::string form(Cell v, int part = -1) {
    Cell buf;
    string_make_at(&buf, 16);
    Cell limit{T_INTEGER, 0, static_cast<uint32_t>(part), 0};
    action_of<A_FORM>(type_of(&v))(&v, &buf, part >= 0 ? &limit : nullptr,
                                   part >= 0 ? part : INT_MAX);
    return string_utf8_text(&buf);
}

class SeriesFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime_init();
        // The frame's first cell is the result slot of every call.
        stack_push_cell();
    }
    Cell* result() { return stack_arguments(); }
    // Puts the arguments of a direct action in the frame and runs it.
    Cell direct(void (*fn)(), Cell series, const Cell* arg = nullptr) {
        stack_reset();
        stack_push(&series);
        if (arg) stack_push(arg);
        fn();
        Cell out = *stack_arguments();
        stack_keep();
        return out;
    }
};

// Runs body under a try frame (with a native frame for the call) and expects
// it to raise the language error category/id; the stacks are restored after.
template <class Body> void expect_error(int category, int id, Body&& body) {
    uint32_t code = caught_restoring(
        [] {
            stack_mark_try(g_word_try);
            stack_mark_native(g_word_try);
            stack_push_cell();
        },
        body);
    ASSERT_EQ(code, kThrowError) << "no error raised";
    EXPECT_EQ(g_pending_error.category, category);
    EXPECT_EQ(g_pending_error.id, id);
}

} // namespace xel::test
