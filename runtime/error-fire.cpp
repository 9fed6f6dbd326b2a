#include "runtime/error-fire.h"

#include <initializer_list>

#include "runtime/core/throw.h"

namespace xel {

PendingError g_pending_error{};

namespace {
[[noreturn]] void throw_plain() {
    throw_code(kThrowError);
}
} // namespace

void (*g_throw_error)() = throw_plain;

void error_fire(int category, int id, const Cell* arg1, const Cell* arg2, const Cell* arg3) {
    PendingError& e = g_pending_error;
    e.category = category;
    e.id = id;
    e.arg_count = 0;
    for (const Cell* a : {arg1, arg2, arg3}) {
        if (a)
            e.args[e.arg_count++] = *a;
        else
            break;
    }
    g_throw_error();
    throw_code(kThrowError);
}

void error_fire_bad_make_arg(const Cell* type, const Cell* value) {
    error_fire(kCatScript, err::script::kBadMakeArg, type, value);
}

} // namespace xel
