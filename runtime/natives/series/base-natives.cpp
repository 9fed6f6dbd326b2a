// debase and enbase: bytes to and from their text in base 2, 16, 58 or 64.
#include <cstring>
#include <string>
#include <vector>

#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-view.h"
#include "runtime/error-fire.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/series/base-codecs.h"
#include "runtime/natives/series/series-natives.h"

namespace xel {

namespace {

// The /base argument (64 without it); any base but 2, 16, 58 and 64 raises
// script invalid-arg.
int base_of(const int32_t* refs) {
    const Cell* base = ref_arg(refs[0]);
    if (!base) return 64;
    int32_t b = integer_get(base);
    if (type_of(base) != T_INTEGER || (b != 2 && b != 16 && b != 58 && b != 64))
        error_fire(kCatScript, err::script::kInvalidArg, base);
    return b;
}

// Characters of the text of n bytes in a base, with the room the encoders
// have always had; above what a series may hold, script too-long.
uint32_t text_size(int base, uint32_t n) {
    uint64_t size;
    switch (base) {
    case 2:
        size = 8ull * n + 2ull * (n / 8) + 4;
        break;
    case 16:
        size = 2ull * n + n / 32 + 32;
        break;
    case 58:
        size = 2ull * n;
        break;
    default:
        size = 4ull * (n / 3) + (4ull * (n % 3)) / 3 + 2ull * (n / 32) + 5;
        break;
    }
    if (size > 0x7FFFFFFF) error_fire(kCatScript, err::script::kTooLong);
    return static_cast<uint32_t>(size);
}

} // namespace

uint32_t natives_debase(int, const int32_t* refs) {
    int base = base_of(refs);
    Cell* result = stack_arguments();
    StringView text = string_view_of(result);
    std::vector<uint8_t> bytes;
    bool valid = base == 2    ? binary_decode_base2(text.data, text.count, text.unit, bytes)
                 : base == 16 ? binary_decode_base16(text.data, text.count, text.unit, bytes)
                 : base == 58 ? binary_decode_base58(text.data, text.count, text.unit, bytes)
                              : binary_decode_base64(text.data, text.count, text.unit, bytes);
    if (!valid) {
        set_none(result);
        return 0;
    }
    auto n = static_cast<uint32_t>(bytes.size());
    binary_make_at(result, n);
    SeriesBuf* buf = series_buffer(result);
    if (n) std::memcpy(at(buf->head), bytes.data(), n);
    buf->tail = buf->head + n;
    return 0;
}

uint32_t natives_enbase(int, const int32_t* refs) {
    int base = base_of(refs);
    Cell* result = stack_arguments();
    std::string bytes;
    if (type_of(result) == T_BINARY) {
        StringView v = string_view_of(result);
        bytes.assign(reinterpret_cast<const char*>(v.data), v.count);
    } else {
        bytes = string_utf8_text(result);
    }
    auto n = static_cast<uint32_t>(bytes.size());
    string_make_at(result, text_size(base, n));
    SeriesBuf* buf = string_buffer(result);
    auto* in = reinterpret_cast<const uint8_t*>(bytes.data());
    uint8_t* head = at(buf->head);
    uint8_t* end = base == 2    ? binary_encode_base2(in, n, head)
                   : base == 16 ? binary_encode_base16(in, n, head)
                   : base == 58 ? binary_encode_base58(in, n, head)
                                : binary_encode_base64(in, n, head);
    buf->tail = buf->head + static_cast<uint32_t>(end - head);
    return 0;
}

} // namespace xel
