// xelbin_decode: the header, the symbol table, reference paths; the records
// are read by the compact or the word reader.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "boot/boot-literals.h"
#include "boot/lz/lz-decompress.h"
#include "boot/xelbin/xelbin-format.h"
#include "boot/xelbin/xelbin-reader.h"
#include "boot/xelbin/xelbin.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/memory/collector-hook.h"
#include "runtime/memory/series-memory.h"
#include "runtime/runtime-init.h"
#include "runtime/symbols/symbols.h"
#include "runtime/text/unicode.h"

namespace xel {

bool g_xelbin_codec = false;

void XelbinReader::invalid(const uint8_t* at) const {
    Cell offset;
    set_integer(&offset, static_cast<int32_t>(at - start + 1));
    error_fire(kCatScript, err::script::kXelbinInvalidRecord, &offset);
}

const uint8_t* XelbinReader::take(size_t n) {
    if (n > left()) invalid(pos);
    const uint8_t* p = pos;
    pos += n;
    return p;
}

uint32_t XelbinReader::u32() {
    const uint8_t* p = take(4);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint32_t XelbinReader::varint() {
    const uint8_t* at = pos;
    uint32_t v = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        uint8_t b = u8();
        if (shift == 28 && (b & 0xF0)) invalid(at);
        v |= static_cast<uint32_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) return v;
    }
    invalid(at);
}

double XelbinReader::f64_low_first() {
    uint64_t low = u32();
    uint64_t bits = low | static_cast<uint64_t>(u32()) << 32;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

uint32_t XelbinReader::count(uint32_t n, uint32_t min_bytes, const uint8_t* at) const {
    if (static_cast<uint64_t>(n) * min_bytes > left()) invalid(at);
    return n;
}

uint32_t XelbinReader::symbol(uint32_t index, const uint8_t* at) {
    if (index >= symbol_count) invalid(at);
    if (!symbol_ids[index]) {
        const uint8_t* o = symbol_offsets + 4 * static_cast<size_t>(index);
        uint32_t offset = o[0] | o[1] << 8 | o[2] << 16 | static_cast<uint32_t>(o[3]) << 24;
        if (offset >= names_size) invalid(at);
        const uint8_t* name = names + offset;
        size_t length = std::strlen(reinterpret_cast<const char*>(name));
        if (length == 0 || !utf8_valid(name, name + length)) invalid(at);
        symbol_ids[index] = symbol_make_from_buffer(name, static_cast<uint32_t>(length));
    }
    return symbol_ids[index];
}

uint32_t XelbinReader::append(const Cell& block) {
    uint32_t i = block_buffer_length(&block);
    set_unset(series_alloc_tail_cell(series_buffer(&block)));
    return i;
}

Cell* XelbinReader::cell(const Cell& block, uint32_t i) {
    return block_cell_at(&block, i);
}

Offset xelbin_series_of_bytes(const uint8_t* bytes, uint32_t n, uint32_t unit) {
    Offset node = alloc_units(n ? n : 1, unit);
    SeriesBuf* buf = buffer_of(node);
    if (n) std::memcpy(at<uint8_t>(buf->head), bytes, static_cast<size_t>(n) * unit);
    buf->tail = buf->head + n * unit;
    return node;
}

void xelbin_refused(uint8_t type) {
    Cell datatype = datatype_cell(type);
    error_fire(kCatAccess, err::access::kNoCodec, &datatype);
}

bool xelbin_same_shape(uint8_t record_type, uint8_t value_type) {
    auto family = [](uint8_t t) -> int {
        if (is_block_kind(t) && t != T_HASH) return 1;
        if (t == T_STRING || t == T_FILE || t == T_URL || t == T_TAG || t == T_EMAIL || t == T_REF)
            return 2;
        return 100 + t;
    };
    return family(record_type) == family(value_type);
}

namespace {

// The owner reached through a word: its context's object! or function!.
Cell word_owner(const Cell& w) {
    Offset ctx = word_context(&w);
    return ctx ? *context_self(ctx) : g_none_cell;
}

bool index_in(uint32_t i, uint32_t n) {
    return i < n;
}

} // namespace

Cell XelbinReader::resolve(const std::vector<uint32_t>& path, const uint8_t* at) {
    Cell cur = target;
    series_set_index(&cur, 0);
    for (size_t k = 0; k < path.size(); k++) {
        uint32_t i = path[k];
        uint8_t t = type_of(&cur);
        if (is_any_word_type(t) && t != T_ISSUE) {
            Offset ctx = word_context(&cur);
            if (!ctx || ctx == g_global_context || !context_has_values(ctx)) {
                Cell owner = word_owner(cur);
                if (type_of(&owner) != T_FUNCTION) invalid(at);
                cur = owner;
                t = T_FUNCTION;
            } else if (context_cell(ctx)->header & kContextStackValues) {
                cur = word_owner(cur);
                if (type_of(&cur) != T_FUNCTION) invalid(at);
                t = T_FUNCTION;
            } else {
                if (!index_in(i, context_word_count(ctx))) invalid(at);
                cur = *context_value_at(ctx, i);
                continue;
            }
        }
        if (is_block_kind(t) || t == T_MAP) {
            if (!index_in(i, block_buffer_length(&cur))) invalid(at);
            cur = *block_cell_at(&cur, i);
        } else if (t == T_NATIVE || t == T_ACTION) {
            Cell spec;
            block_set_cell(&spec, T_BLOCK, native_spec_node(&cur), 0);
            if (!index_in(i, block_buffer_length(&spec))) invalid(at);
            cur = *block_cell_at(&spec, i);
        } else if (t == T_OBJECT) {
            Offset ctx = object_context(&cur);
            if (!context_has_values(ctx) || !index_in(i, context_word_count(ctx))) invalid(at);
            cur = *context_value_at(ctx, i);
        } else if (t == T_ERROR) {
            if (!index_in(i, kErrorFieldCount - kErrFieldArg1)) invalid(at);
            cur = *context_value_at(error_context(&cur), kErrFieldArg1 + i);
        } else if (t == T_FUNCTION || t == T_OP) {
            if (i > 1 || (i == 1 && t == T_OP)) invalid(at);
            if (i == 1) {
                cur = function_record(&cur)[kRecordBody];
                if (type_of(&cur) != T_BLOCK) invalid(at);
                continue;
            }
            Cell spec;
            function_spec_block(&cur, &spec);
            if (k + 1 == path.size()) return spec;
            uint32_t j = path[++k];
            if (!index_in(j, block_buffer_length(&spec))) invalid(at);
            cur = *block_cell_at(&spec, j);
        } else {
            invalid(at);
        }
    }
    return cur;
}

namespace {

[[noreturn]] void header_fault(int mode, const char* message, const uint8_t* data, size_t length) {
    if (mode != kXelbinScript) {
        std::fprintf(stderr, "%s\n", message);
        std::exit(1);
    }
    Cell payload;
    binary_make_at(&payload, static_cast<uint32_t>(length));
    binary_xs_append(&payload, data, static_cast<uint32_t>(length));
    error_fire(kCatScript, err::script::kInvalidData, &payload);
}

struct LzBuffer {
    void operator()(uint8_t* p) const { lz_free(p); }
};

} // namespace

Cell* xelbin_decode(const uint8_t* data, size_t size, Cell* target, int mode) {
    size_t shown = size < 8 ? size : 8;
    if (size < 8 || std::memcmp(data, kXelbinMagic, sizeof kXelbinMagic) != 0)
        header_fault(mode, "Error: Not a Xelbin file!", data, shown);
    uint8_t flags = data[7];
    XelbinReader r;
    r.start = data;
    r.pos = data + 8;
    r.end = data + size;
    r.mode = mode;
    r.flags = flags;
    r.target = *target;
    std::unique_ptr<uint8_t, LzBuffer> inflated;
    if (flags & kXelbinCompressed) {
        uint32_t n = 0;
        inflated.reset(lz_decompress(data + 8, size - 8, &n));
        if (!inflated) header_fault(mode, "Error: Xelbin compressed data corrupted!", data, shown);
        r.start = r.pos = inflated.get();
        r.end = r.pos + n;
    }
    r.base_count = block_buffer_length(target);
    if (flags & kXelbinCompact)
        xelbin_read_compact(r);
    else
        xelbin_read_words(r);
    if (mode == kXelbinScript) return nullptr;
    return block_cell_at(target, r.base_count);
}

uint32_t xelbin_boot_load(const uint8_t* blob, size_t size, bool keep_base) {
    g_xelbin_codec = false;
    bool enabled = g_collector_enabled;
    g_collector_enabled = false;
    uint32_t saved = g_boot_literal_base;
    uint32_t base = block_buffer_length(&g_root);
    xelbin_decode(blob, size, &g_root, kXelbinBoot);
    g_collector_enabled = enabled;
    g_boot_literal_base = keep_base ? saved : base;
    return g_boot_literal_base;
}

} // namespace xel
