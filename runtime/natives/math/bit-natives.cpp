// shift and to-hex.
#include <cstring>

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/issue/issue-cell.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/natives/math/math-natives.h"
#include "runtime/natives/native-call.h"

namespace xel {

namespace {

constexpr int kHexDigitCount = 8;

} // namespace

int32_t natives_shifted(int32_t data, int32_t bits, bool left, bool logical) {
    if (bits < 0) bits = 0;
    auto u = static_cast<uint32_t>(data);
    if (left) return bits > 31 ? 0 : static_cast<int32_t>(u << bits);
    if (logical) return bits > 31 ? 0 : static_cast<int32_t>(u >> bits);
    if (bits > 31) return data < 0 ? -1 : 0;
    return data >> bits;
}

uint32_t natives_shift(int, const int32_t* refs) {
    Cell* args = stack_arguments();
    int32_t r = natives_shifted(integer_get(&args[0]), integer_get(&args[1]), ref_present(refs[0]),
                                ref_present(refs[1]));
    set_integer(args, r);
    return 0;
}

uint32_t natives_to_hex(int, const int32_t* refs) {
    Cell* value = stack_arguments();
    int n = kHexDigitCount;
    if (const Cell* size = ref_arg(refs[0])) {
        int32_t length = integer_get(size);
        if (length <= 0) error_fire(kCatScript, err::script::kInvalidArg, size);
        if (length < n) n = length;
    }
    const char* digits = string_int_to_hex(integer_get(value), false);
    char text[kHexDigitCount + 1];
    std::memcpy(text, digits + kHexDigitCount - n, static_cast<size_t>(n) + 1);
    issue_make_at(value, text);
    return 0;
}

} // namespace xel
