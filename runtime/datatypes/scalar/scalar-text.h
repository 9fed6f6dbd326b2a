// Text output shared by the form and mold actions of the scalar types.
#pragma once
#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/string/string.h"

namespace xel {

// Appends the text (not empty) and returns part less its length.
inline int scalar_append(Cell* buffer, const char* text, int part) {
    string_concatenate_literal(buffer, text);
    return part - static_cast<int>(std::strlen(text));
}

// Appends "#(" text ")" with /all, else the text.
inline int scalar_mold(Cell* buffer, const char* text, bool all, int part) {
    if (!all) return scalar_append(buffer, text, part);
    part = scalar_append(buffer, "#(", part);
    part = scalar_append(buffer, text, part);
    return scalar_append(buffer, ")", part);
}

// compare of the payload-less types: values of the same type are equal under
// the equality and ordering codes; nothing else can be compared.
inline int scalar_compare_same(const Cell* value2, uint8_t type, int op) {
    if (type_of(value2) != type) return -2;
    switch (op) {
    case kCmpEqual:
    case kCmpNotEqual:
    case kCmpStrictEqual:
    case kCmpSort:
    case kCmpCaseSort:
    case kCmpSame:
    case kCmpFind:
        return 0;
    default:
        return -2;
    }
}

} // namespace xel
