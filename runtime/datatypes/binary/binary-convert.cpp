// How values become bytes: the rules of append, insert and change into a
// binary, and the wider table of to binary!.
#include <cstring>

#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/binary/binary.h"
#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-view.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/printing/cycles.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "runtime/text/unicode.h"

namespace xel {

namespace {

// Keeps the cycle stack as it was however the walk ends.
struct CycleGuard {
    uint32_t depth = cycles_depth();
    ~CycleGuard() { cycles_pop_n(cycles_depth() - depth); }
};

uint32_t limited(uint32_t n, int64_t limit) {
    return limit >= 0 && limit < n ? static_cast<uint32_t>(limit) : n;
}

void append_raw(std::vector<uint8_t>& out, const uint8_t* p, uint32_t n) {
    out.insert(out.end(), p, p + n);
}

void append_utf8(std::vector<uint8_t>& out, uint32_t cp) {
    uint8_t bytes[4];
    int n = utf8_encode_char(static_cast<int32_t>(cp), bytes);
    append_raw(out, bytes, static_cast<uint32_t>(n));
}

void append_text(std::vector<uint8_t>& out, const Cell* str, int64_t limit) {
    StringView text = string_view_of(str);
    uint32_t n = limited(text.count, limit);
    for (uint32_t i = 0; i < n; i++)
        append_utf8(out, text[i]);
}

void append_elements(std::vector<uint8_t>& out, const Cell* block, int64_t limit) {
    Cell blk = *block;
    if (cycles_find(blk.data2)) {
        cycles_reset();
        error_fire(kCatInternal, err::internal::kNoCycle);
    }
    CycleGuard guard;
    cycles_push(blk.data2);
    uint32_t from = block_index(&blk) < 0 ? 0 : static_cast<uint32_t>(block_index(&blk));
    uint32_t len = block_buffer_length(&blk);
    uint32_t end = from + limited(from < len ? len - from : 0, limit);
    for (uint32_t i = from; i < end && i < block_buffer_length(&blk); i++) {
        Cell item = *block_cell_at(&blk, i);
        binary_bytes_of(&item, out);
    }
}

void append_big_endian(std::vector<uint8_t>& out, uint64_t v, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// An issue's spelling read as one hexadecimal number: an odd count of
// digits takes a leading zero, so #ABC gives #{0ABC}. False on a non-digit.
bool append_issue_hex(std::vector<uint8_t>& out, const Cell* issue) {
    uint32_t length = 0;
    const char* name = symbol_name(word_symbol(issue), &length);
    std::vector<uint8_t> bytes;
    uint32_t i = 0;
    int high = 0;
    if (length % 2) {
        high = hex_digit(name[i++]);
        if (high < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high));
    }
    for (; i < length; i += 2) {
        high = hex_digit(name[i]);
        int low = hex_digit(name[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
    return true;
}

[[noreturn]] void bad_to_arg(const Cell* spec) {
    Cell type = datatype_cell(T_BINARY);
    error_fire(kCatScript, err::script::kBadToArg, &type, spec);
}

} // namespace

void binary_bytes_of(const Cell* value, std::vector<uint8_t>& out, int64_t limit) {
    switch (type_of(value)) {
    case T_CHAR:
        append_utf8(out, value->data2);
        break;
    case T_INTEGER:
        out.push_back(binary_integer_byte(value));
        break;
    case T_BINARY:
        append_raw(out, binary_xs_head(value), limited(binary_xs_length(value), limit));
        break;
    case T_TUPLE:
        append_raw(out, tuple_bytes(value), limited(tuple_count(value), limit));
        break;
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
        append_text(out, value, limit);
        break;
    case T_BLOCK:
    case T_PAREN:
    case T_HASH:
        append_elements(out, value, limit);
        break;
    default:
        error_fire(kCatScript, err::script::kInvalidArg, value);
    }
}

Cell* binary_to(Cell*, Cell* spec, int) {
    Cell value = *spec;
    std::vector<uint8_t> bytes;
    switch (type_of(&value)) {
    case T_INTEGER:
        append_big_endian(bytes, value.data2, 4);
        break;
    case T_FLOAT:
    case T_PERCENT: {
        uint64_t bits;
        double d = cell_double(&value);
        std::memcpy(&bits, &d, sizeof bits);
        append_big_endian(bytes, bits, 8);
        break;
    }
    case T_BITSET:
        append_raw(bytes, bitset_xs_head(&value), bitset_size(&value));
        break;
    case T_ISSUE:
        if (!append_issue_hex(bytes, &value)) bad_to_arg(&value);
        break;
    case T_CHAR:
    case T_BINARY:
    case T_TUPLE:
    case T_STRING:
    case T_FILE:
    case T_URL:
    case T_TAG:
    case T_EMAIL:
    case T_REF:
    case T_BLOCK:
    case T_PAREN:
    case T_HASH:
        binary_bytes_of(&value, bytes);
        break;
    case T_IMAGE: {
        Cell channels;
        image_to_channels(&value, kChannelRgb, &channels);
        return stack_set_last(&channels);
    }
    default:
        bad_to_arg(&value);
    }
    Cell made;
    string_bytes_to_binary(&made, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return stack_set_last(&made);
}

} // namespace xel
