// Shared helpers of the integer! and float! tests: number cells, a frame of
// two arguments, calling a slot of a type's row, catching a language error.
#pragma once
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"
#include "tests/unit/runtime_test_support.h"

namespace xel::number_test {

inline Cell int_cell(int32_t v) {
    return Cell{T_INTEGER, 0, static_cast<uint32_t>(v), 0};
}
inline Cell char_cell(uint32_t cp) {
    return Cell{T_CHAR, 0, cp, 0};
}
inline Cell dbl_cell(double d, uint8_t type = T_FLOAT) {
    Cell c{type, 0, 0, 0};
    cell_set_double(&c, d);
    return c;
}
inline Cell pct_cell(double d) {
    return dbl_cell(d, T_PERCENT);
}
inline Cell time_cell(double seconds) {
    return dbl_cell(seconds, T_TIME);
}
inline Cell type_cell(uint8_t t) {
    return Cell{T_DATATYPE, t, 0, 0};
}
inline Cell string_cell(const char* text) {
    Cell s{};
    string_make_at(&s, 16);
    if (*text) string_concatenate_literal(&s, text);
    return s;
}
inline Cell binary_cell(std::initializer_list<uint8_t> bytes) {
    Offset node = alloc_bytes(static_cast<uint32_t>(bytes.size()) + 1);
    uint8_t* p = series_reserve_tail(buffer_of(node), static_cast<uint32_t>(bytes.size()));
    for (uint8_t b : bytes)
        *p++ = b;
    return Cell{T_BINARY, 0, node, 0};
}
inline Cell issue_cell(const char* spelling) {
    Cell c{};
    word_set_cell(&c, T_ISSUE, 0, symbol_make(spelling), -1);
    return c;
}
// A block! holding copies of the cells.
inline Cell block_cell(std::initializer_list<Cell> cells) {
    Cell blk{};
    block_make_at(&blk, static_cast<int>(cells.size()));
    for (const Cell& c : cells)
        block_append_copy(&blk, &c);
    return blk;
}

// The current frame holds a (the result slot) and b.
inline Cell* frame(const Cell& a, const Cell& b = Cell{T_UNSET, 0, 0, 0}) {
    stack_reset();
    Cell* args = stack_arguments();
    *stack_push_cell() = a;
    *stack_push_cell() = b;
    return args;
}

// Runs a direct slot of the left operand's row on the frame (a, b); the result.
inline Cell direct(int slot, const Cell& a, const Cell& b = Cell{T_UNSET, 0, 0, 0}) {
    Cell* args = frame(a, b);
    reinterpret_cast<DirectFn>(action_entry(type_of(&a), slot))();
    return *args;
}

// The error a body raises: its category x 100 + id - 2, or -1 when it raised
// none. The body runs under a try frame and a native frame whose arguments
// are copies of the current frame's; the stacks are restored after.
template <class Body> int error_of(Body&& body) {
    uint32_t code = test::caught_restoring(
        [] {
            Cell saved[4];
            auto n = static_cast<uint32_t>(g_stack_top - g_stack_args);
            if (n > 4) n = 4;
            std::memcpy(saved, g_stack_args, n * sizeof(Cell));
            stack_mark_try(g_word_try);
            stack_mark_native(g_word_try);
            for (uint32_t i = 0; i < n; i++)
                stack_push(&saved[i]);
        },
        body);
    if (code != kThrowError) return -1;
    return error_code(g_pending_error.category, g_pending_error.id);
}
constexpr int kZeroDivide = 400;
constexpr int kOverflow = 401;
constexpr int kExpectArg = 305;
constexpr int kCannotUse = 308;
constexpr int kInvalidType = 310;
constexpr int kInvalidData = 316;
constexpr int kNotRelated = 320;
constexpr int kOutOfRange = 341;
constexpr int kTypeLimit = 346;
constexpr int kBadToArg = 354;

inline std::string form_of(Cell value) {
    Cell out = string_cell("");
    action_of<A_FORM>(type_of(&value))(&value, &out, nullptr, 100);
    return string_utf8_text(&out);
}
inline std::string mold_of(Cell value) {
    Cell out = string_cell("");
    action_of<A_MOLD>(type_of(&value))(&value, &out, false, false, false, nullptr, 100, 0);
    return string_utf8_text(&out);
}

// round through the value's own row: rule names the refinement ("" for
// none) and an unset! scale means no /to.
inline Cell round_by(const Cell& value, const Cell& scale, const std::string& rule) {
    Cell* v = frame(value, scale);
    Cell* to = type_of(&scale) == T_UNSET ? nullptr : v + 1;
    return *action_of<A_ROUND>(type_of(&value))(v, to, rule == "even", rule == "down",
                                                rule == "half-down", rule == "floor",
                                                rule == "ceiling", rule == "half-ceiling");
}

inline uint64_t bits_of(double d) {
    return std::bit_cast<uint64_t>(d);
}

} // namespace xel::number_test
