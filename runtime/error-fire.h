// The single way run-time code raises a language error: a category and an id
// (positions in the error catalogue, ids counting the catalogue's two leading
// fields, so a category's first error is id 2) and up to three argument cells.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/error-ids.h"

namespace xel {

enum ErrorCategory : uint8_t {
    kCatThrow = 0,
    kCatNote = 1,
    kCatSyntax = 2,
    kCatScript = 3,
    kCatMath = 4,
    kCatAccess = 5,
    kCatReserved1 = 6,
    kCatReserved2 = 7,
    kCatUser = 8,
    kCatInternal = 9,
};

// The error being raised, as error/fire received it; the error! value is made
// from it once that datatype exists.
struct PendingError {
    int category;
    int id;
    int arg_count;
    Cell args[3];
};

extern PendingError g_pending_error;

// Error code of a category and id: category x 100 + id - 2.
inline int error_code(int category, int id) {
    return category * 100 + id - 2;
}

[[noreturn]] void error_fire(int category, int id, const Cell* arg1 = nullptr,
                             const Cell* arg2 = nullptr, const Cell* arg3 = nullptr);

// script bad-make-arg: "cannot MAKE" type "from:" value.
[[noreturn]] void error_fire_bad_make_arg(const Cell* type, const Cell* value);

// Raises the made error; replaced by the stack's unwinding once call frames exist.
extern void (*g_throw_error)();

} // namespace xel
