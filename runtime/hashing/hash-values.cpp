// The hashes of values: by datatype, from the payload words, the content of
// strings and binaries, or the canonical symbol of words.
#include <cstring>

#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/memory/series-memory.h"
#include "runtime/symbols/symbols.h"
#include "runtime/text/casefold.h"

namespace xel {

namespace {

constexpr TypeId kSliceType = T_SLICE;
constexpr uint32_t kMoneySignFlag = 1u << 14;

// The first count payload words, for the types whose words are their identity.
uint32_t hash_words(const Cell* c, uint32_t count) {
    return hash_murmur3(cell_payload(c), 4 * count);
}
// The second and third payload words (a double, or two coordinates).
uint32_t hash_last_words(const Cell* c) {
    return hash_murmur3(cell_payload(c) + 1, 8);
}

// A slice's word 3 limits its length when not negative.
int32_t slice_limit(const Cell* c) {
    return static_cast<int32_t>(cell_payload_word(c, 3));
}

uint32_t hash_money(const Cell* c) {
    Cell copy = *c;
    copy.header = T_MONEY | (c->header & kMoneySignFlag);
    // Zero has no significant sign: 0 and -0 must meet in one bucket.
    uint8_t digits[11];
    std::memcpy(digits, reinterpret_cast<const uint8_t*>(c) + 5, sizeof digits);
    bool zero = true;
    for (uint8_t d : digits)
        zero = zero && d == 0;
    if (zero) copy.header = T_MONEY;
    return hash_murmur3(&copy, sizeof copy);
}

uint32_t hash_tuple(const Cell* c) {
    uint32_t length = tuple_count(c);
    if (length > kTupleMaxBytes) length = kTupleMaxBytes;
    return hash_murmur3(tuple_bytes(c), length);
}

uint32_t hash_binary(const Cell* c) {
    const SeriesBuf* buf = series_buffer(c);
    Offset from = buf->head + static_cast<uint32_t>(series_index(c));
    uint32_t length = from < buf->tail ? buf->tail - from : 0;
    return hash_murmur3(at(from), length);
}

} // namespace

uint32_t hash_string(const Cell* value, bool case_sensitive) {
    const SeriesBuf* buf = series_buffer(value);
    uint32_t unit = buf->unit();
    uint32_t total = buf->used() / unit;
    auto index = static_cast<uint32_t>(series_index(value));
    uint32_t from = index < total ? index : total;
    uint32_t count = total - from;
    if (type_of(value) == kSliceType && slice_limit(value) >= 0 &&
        static_cast<uint32_t>(slice_limit(value)) < count)
        count = static_cast<uint32_t>(slice_limit(value));
    const uint8_t* p = at(buf->head) + from * unit;
    uint32_t h = g_hash_seed;
    for (uint32_t i = 0; i < count; i++, p += unit) {
        uint32_t cp = unit == 1   ? *p
                      : unit == 2 ? static_cast<uint32_t>(p[0] | p[1] << 8)
                                  : [&] {
                                        uint32_t v;
                                        std::memcpy(&v, p, 4);
                                        return v;
                                    }();
        if (!case_sensitive) {
            if (cp < 128)
                cp = (cp >= 'A' && cp <= 'Z') ? cp | 0x20 : cp;
            else
                cp = static_cast<uint32_t>(
                    casefold_convert_char(static_cast<int32_t>(cp), kFoldLower));
        }
        h = murmur3_block(h, cp);
    }
    return murmur3_finish(h, 4 * count);
}

uint32_t hash_symbol(const uint8_t* name, uint32_t length) {
    // Lowered in 4-byte blocks on the fly: the same hash as lowering a copy.
    uint32_t h = g_hash_seed;
    uint32_t blocks = length / 4;
    for (uint32_t i = 0; i < blocks; i++) {
        uint8_t b[4];
        for (int j = 0; j < 4; j++) {
            uint8_t c = name[4 * i + j];
            b[j] = (c >= 'A' && c <= 'Z') ? c | 0x20 : c;
        }
        uint32_t k;
        std::memcpy(&k, b, 4);
        h = murmur3_block(h, k);
    }
    uint32_t k = 0;
    for (uint32_t j = length & 3; j > 0; j--) {
        uint8_t c = name[4 * blocks + j - 1];
        k = (k << 8) | ((c >= 'A' && c <= 'Z') ? c | 0x20 : c);
    }
    if (length & 3) {
        k *= 0xCC9E2D51u;
        k = murmur3_rotl(k, 15);
        k *= 0x1B873593u;
        h ^= k;
    }
    return murmur3_finish(h, length);
}

bool hash_node_dependent_type(uint8_t type) {
    switch (type) {
    case T_BLOCK:
    case T_PAREN:
    case T_PATH:
    case T_LIT_PATH:
    case T_SET_PATH:
    case T_GET_PATH:
    case T_HASH:
    case T_IMAGE:
    case T_POINT2D:
    case T_OBJECT:
    case T_ERROR:
    case T_PORT:
    case T_MAP:
    case T_NATIVE:
    case T_ACTION:
    case T_OP:
    case T_FUNCTION:
    case T_EVENT: // a made event's word 2 is its payload block's node
        return true;
    default:
        return false;
    }
}

uint32_t hash_value(const Cell* value, bool case_sensitive) {
    switch (type_of(value)) {
    case T_UNSET:
        return static_cast<uint32_t>(-2);
    case T_NONE:
        return static_cast<uint32_t>(-1);
    case T_DATATYPE:
    case T_LOGIC:
    case T_OBJECT:
    case T_ERROR:
    case T_PORT:
        return hash_mix(cell_payload_word(value, 1));
    case T_CHAR:
    case T_INTEGER:
    case T_MAP:
    case T_HANDLE:
    case T_EVENT:
        return hash_mix(cell_payload_word(value, 2));
    case T_NATIVE:
    case T_ACTION:
        return hash_mix(cell_payload_word(value, 3));
    case T_WORD:
    case T_SET_WORD:
    case T_LIT_WORD:
    case T_GET_WORD:
    case T_REFINEMENT:
    case T_ISSUE:
        return hash_mix(symbol_resolve(word_symbol(value)));
    case T_BLOCK:
    case T_PAREN:
    case T_PATH:
    case T_LIT_PATH:
    case T_SET_PATH:
    case T_GET_PATH:
    case T_HASH:
    case T_POINT2D:
    case T_IMAGE:
        return hash_words(value, 2);
    case T_FLOAT:
    case T_PAIR:
    case T_PERCENT:
    case T_TIME:
        return hash_last_words(value);
    case T_POINT3D:
        return hash_words(value, 3);
    case T_OP:
    case T_FUNCTION:
    case T_TRIPLE:
    case T_TYPESET:
    case T_DATE:
        return hash_words(value, 3);
    case T_TUPLE:
        return hash_tuple(value);
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
    case kSliceType:
        return hash_string(value, case_sensitive);
    case T_SYMBOL: {
        const SeriesBuf* name = buffer_of(symbol_name_node(value));
        return hash_symbol(at(name->head), name->used());
    }
    case T_BINARY:
        return hash_binary(value);
    case T_MONEY:
        return hash_money(value);
    default:
        return 0;
    }
}

} // namespace xel
