// Shared helpers of the evaluator tests: a fresh run-time with words and the
// error catalogue, value makers, and running code under a try frame.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/runtime-init.h"
#include "runtime/stack/exits.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel::test {

inline void fresh_runtime() {
    runtime_init();
    g_boot_recording = false;
}

inline Cell word(const char* name) {
    return *word_load(name);
}
inline Cell word_as(const char* name, uint8_t type) {
    Cell w = word(name);
    cell_set_type(&w, type);
    return w;
}
inline Cell integer(int32_t v) {
    return Cell{T_INTEGER, 0, static_cast<uint32_t>(v), 0};
}
inline Cell text(const char* s) {
    Cell c;
    string_make_at(&c, 0);
    string_concatenate_literal(&c, s);
    return c;
}
inline Cell block(std::initializer_list<Cell> values) {
    Cell b;
    block_make_at(&b, static_cast<int>(values.size()));
    for (const Cell& v : values)
        block_append_copy(&b, &v);
    return b;
}
inline std::string utf8(const Cell& s) {
    return string_utf8_text(&s);
}

// Runs body under a try (or try/all) frame named try; answers the error it
// raised (the stack top after the unwinding), or an unset! cell when none
// (the try frame is popped unless an exit left past it).
template <class Body> Cell error_of(Body body, bool all = false) {
    Cell w = word("try");
    stack_mark(&w, all ? kHeaderTryAll : kHeaderTry);
    CallFrame* frame = stack_top_frame();
    try {
        body();
    } catch (const Throw& t) {
        EXPECT_EQ(t.code, kThrowError);
        return *stack_top();
    }
    if (!exit_pending()) {
        stack_set_top_frame(frame);
        stack_unwind();
    }
    return Cell{T_UNSET, 0, 0, 0};
}

inline std::string error_id(const Cell& e) {
    if (type_of(&e) != T_ERROR) return "<no error>";
    return symbol_name(error_id_symbol(&e));
}
inline std::string error_type(const Cell& e) {
    return symbol_name(error_type_symbol(&e));
}
inline std::string error_text(Cell e) {
    return error_form_text(&e);
}
// The message line of an error's text, without "*** Category: ".
inline std::string error_message(const Cell& e) {
    std::string t = error_text(e);
    auto colon = t.find(": ");
    auto end = t.find('\n');
    return t.substr(colon + 2, end - colon - 2);
}

} // namespace xel::test
