#include "runtime/core/throw.h"

#include "runtime/core/runtime-record.h"

namespace xel {

RuntimeRecord g_runtime{};

void throw_code(uint32_t code) {
    g_runtime.pending_throw = code;
    throw Throw{code};
}

} // namespace xel
