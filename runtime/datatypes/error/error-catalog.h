// The error catalogue's static content: categories by index (0 throw ... 9
// internal), each with its display text and its errors from id 2 upward.
#pragma once
#include <cstdint>

namespace xel {

enum class ErrorMessageKind : uint8_t { kNone, kString, kBlock };

struct ErrorIdInfo {
    const char* name;
    ErrorMessageKind kind;
    const char* parts[6]; // kBlock: strings, and fields as ":arg1"...
};

struct ErrorCategoryInfo {
    const char* name;
    const char* display;
    const ErrorIdInfo* ids; // ids[0] is id 2
    int count;
};

constexpr int kErrorCategoryCount = 10;
extern const ErrorCategoryInfo kErrorCatalog[kErrorCategoryCount];

} // namespace xel
