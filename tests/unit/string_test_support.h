// Helpers shared by the text tests: reading a string's code points and bytes,
// and catching the language error a call raises.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/throw.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"

namespace xel::testing_text {

using CodePoints = std::vector<uint32_t>;

// Code points from the position to the tail.
inline CodePoints code_points(const Cell* str) {
    CodePoints out;
    for (uint32_t i = str->data1; i < string_xs_length_from_head(str); i++)
        out.push_back(string_char_at(str, i));
    return out;
}

inline CodePoints ascii(const char* text) {
    CodePoints out;
    for (const char* p = text; *p; p++)
        out.push_back(static_cast<uint8_t>(*p));
    return out;
}

inline uint32_t unit_of(const Cell* str) {
    return string_buffer(str)->unit();
}

// Bytes of a binary! (or any 1-byte series) from its position.
inline std::vector<uint8_t> bytes_of(const Cell* bin) {
    const SeriesBuf* buf = buffer_of(bin->data2);
    return std::vector<uint8_t>(at(buf->head + bin->data1), at(buf->tail));
}

inline Cell string_from(const char* text) {
    Cell s;
    string_make_at(&s, 0);
    if (*text) string_concatenate_literal(&s, text);
    return s;
}

struct Raised {
    bool raised = false;
    int category = -1;
    int id = -1;
    int arg_count = 0;
    Cell args[3]{};
};

// Runs f and reports the language error it raised, if any.
template <class F> Raised raised_by(F&& f) {
    Raised r;
    try {
        f();
    } catch (const Throw& t) {
        if (t.code != kThrowError) throw;
        r.raised = true;
        r.category = g_pending_error.category;
        r.id = g_pending_error.id;
        r.arg_count = g_pending_error.arg_count;
        for (int i = 0; i < 3; i++)
            r.args[i] = g_pending_error.args[i];
    }
    return r;
}

} // namespace xel::testing_text
