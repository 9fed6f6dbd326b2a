// The compact reader: one record after another into the target block.
#include <bit>
#include <cstring>

#include "boot/xelbin/xelbin-format.h"
#include "boot/xelbin/xelbin-reader.h"
#include "boot/xelbin/xelbin-writer.h"
#include "boot/xelbin/xelbin.h"
#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/date/date-cell.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/issue/issue-cell.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/point3d/point3d-cell.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/memory/series-memory.h"

namespace xel {

namespace {

// Deeper nesting than any value the writers take from a language value.
constexpr int kMaxDepth = 4096;

bool is_series_record(uint8_t t) {
    return is_block_kind(t) || is_string_kind(t) || t == T_BINARY || t == T_VECTOR ||
           t == T_BITSET || t == T_MAP || t == T_IMAGE;
}

class Compact {
  public:
    explicit Compact(XelbinReader& r) : r_(r) {}

    // One record appended to the block; definitions (boot mode, top level)
    // set their word and leave nothing in the block.
    void record(const Cell& block);

  private:
    std::vector<uint32_t> path();
    Cell reference(uint8_t type, uint32_t head, const uint8_t* at);
    void make(uint8_t type, bool flag, bool ref, const Cell& block, uint32_t i, const uint8_t* at);
    void scalar(uint8_t type, bool flag, Cell* out, const uint8_t* at);
    void series(uint8_t type, bool flag, bool ref, const Cell& block, uint32_t i,
                const uint8_t* at);
    void word(uint8_t type, bool flag, const Cell& block, uint32_t i, const uint8_t* at);
    Offset context(const Cell& block, uint32_t i, const uint8_t* at);
    void object(bool flag, bool ref, const Cell& block, uint32_t i, const uint8_t* at);
    void function(bool ref, const Cell& block, uint32_t i, const uint8_t* at);
    Cell function_part(uint32_t capacity);
    void native(uint8_t type, const Cell& block, uint32_t i, const uint8_t* at);
    void error(const Cell& block, uint32_t i, const uint8_t* at);
    Cell decode_one();
    uint32_t head(bool flag) { return flag ? r_.varint() : 0; }

    XelbinReader& r_;
};

std::vector<uint32_t> Compact::path() {
    const uint8_t* at = r_.pos;
    uint32_t n = r_.varint();
    if (n < 1 || n > kXelbinMaxPath) r_.invalid(at);
    r_.count(n, 1, at);
    std::vector<uint32_t> p(n);
    for (uint32_t& i : p)
        i = r_.varint();
    return p;
}

// A series record given by reference: the value reached, of the same
// buffer shape, retyped and at the record's head.
Cell Compact::reference(uint8_t type, uint32_t head, const uint8_t* at) {
    Cell v = r_.resolve(path(), at);
    uint8_t t = type_of(&v);
    if (!is_series_record(t) || !xelbin_same_shape(type, t)) r_.invalid(at);
    return xelbin_retyped(v, type, head);
}

void Compact::record(const Cell& block) {
    const uint8_t* at = r_.pos;
    bool new_line = false, ref = false, def = false;
    uint8_t b;
    for (;;) {
        b = r_.u8();
        if (b == kCpNewLine)
            new_line = true;
        else if (b == kCpReference)
            ref = true;
        else if (b == kCpDefinition)
            def = true;
        else
            break;
    }
    if (def && (g_xelbin_codec || r_.mode == kXelbinScript || r_.depth > 0)) r_.invalid(at);
    uint32_t i = XelbinReader::append(block);
    if (b >= 0x80) {
        if (ref || def) r_.invalid(at);
        Cell* c = XelbinReader::cell(block, i);
        if (b < 0xC0) {
            set_integer(c, b - kCpSmallInteger);
        } else if (b == kCpTrue || b == kCpFalse) {
            set_logic(c, b == kCpTrue);
        } else if (b == kCpPath) {
            Cell v = r_.resolve(path(), at);
            *XelbinReader::cell(block, i) = v;
        } else {
            r_.invalid(at);
        }
    } else {
        uint32_t type = b & kCpTypeMask;
        if (type == kCpTypeFollows) type = r_.varint();
        if (type == 0 || type > 255) r_.invalid(at);
        if (def && (type < T_WORD || type > T_ISSUE)) r_.invalid(at);
        if (ref && !is_series_record(static_cast<uint8_t>(type)) && type != T_OBJECT &&
            type != T_FUNCTION)
            r_.invalid(at);
        if (++r_.depth > kMaxDepth) r_.invalid(at);
        make(static_cast<uint8_t>(type), b & kCpFlag, ref, block, i, at);
        r_.depth--;
    }
    Cell* c = XelbinReader::cell(block, i);
    c->header &= ~kNewLineFlag;
    if (new_line) c->header |= kNewLineFlag;
    if (!def) return;
    Cell word = *c;
    record(block);
    Cell value = *XelbinReader::cell(block, i + 1);
    cell_clear_new_line(&value);
    context_set(&word, &value);
    SeriesBuf* buf = block_buffer(&block);
    buf->tail = buf->head + i * sizeof(Cell);
}

void Compact::make(uint8_t type, bool flag, bool ref, const Cell& block, uint32_t i,
                   const uint8_t* at) {
    if (xelbin_refused_type(type)) xelbin_refused(type);
    if (is_series_record(type)) return series(type, flag, ref, block, i, at);
    switch (type) {
    case T_WORD:
    case T_SET_WORD:
    case T_LIT_WORD:
    case T_GET_WORD:
    case T_REFINEMENT:
        return word(type, flag, block, i, at);
    case T_CONTEXT:
        context(block, i, at);
        return;
    case T_OBJECT:
        return object(flag, ref, block, i, at);
    case T_FUNCTION:
        return function(ref, block, i, at);
    case T_NATIVE:
    case T_ACTION:
        return native(type, block, i, at);
    case T_OP: {
        const uint8_t* inner_at = r_.pos;
        uint8_t b = r_.u8();
        uint8_t inner = b & kCpTypeMask;
        if (b >= 0x80 || (inner != T_NATIVE && inner != T_ACTION && inner != T_FUNCTION))
            r_.invalid(inner_at);
        make(inner, b & kCpFlag, false, block, i, inner_at);
        xelbin_op_close(block, i, inner);
        return;
    }
    case T_ERROR:
        return error(block, i, at);
    default: {
        Cell v{};
        scalar(type, flag, &v, at);
        *XelbinReader::cell(block, i) = v;
    }
    }
}

void Compact::scalar(uint8_t type, bool flag, Cell* out, const uint8_t* at) {
    switch (type) {
    case T_DATATYPE:
        *out = xelbin_datatype(r_, r_.varint(), at);
        return;
    case T_UNSET:
        set_unset(out);
        return;
    case T_NONE:
        set_none(out);
        return;
    case T_CHAR:
        *out = xelbin_char(r_, r_.varint(), at);
        return;
    case T_INTEGER:
        set_integer(out, r_.zigzag());
        return;
    case T_FLOAT:
    case T_TIME:
    case T_PERCENT: {
        double d = flag ? r_.zigzag() / (type == T_PERCENT ? 100.0 : 1.0) : r_.f64_low_first();
        float_kind_make_at(out, type, d);
        return;
    }
    case T_ISSUE:
        issue_make_at_symbol(out, r_.symbol(r_.varint(), at));
        return;
    case T_TYPESET: {
        uint8_t n = r_.u8();
        if (n > 12) r_.invalid(at);
        uint8_t bits[12] = {};
        std::memcpy(bits, r_.take(n), n);
        *out = typeset_of_bytes(bits);
        return;
    }
    case T_PAIR: {
        int32_t x = r_.zigzag();
        pair_make_at(out, x, r_.zigzag());
        return;
    }
    case T_TUPLE: {
        uint32_t n = flag ? r_.u8() : 3;
        if (n < kTupleMinBytes || n > kTupleMaxBytes) r_.invalid(at);
        tuple_make_at(out, r_.take(n), n);
        return;
    }
    case T_DATE: {
        uint32_t packed = r_.u32();
        if (date_has_time(packed) != flag) r_.invalid(at);
        double time = flag ? r_.f64_low_first() : 0;
        *out = xelbin_date(r_, packed, time, at);
        return;
    }
    case T_MONEY:
        *out = xelbin_money(r_, flag, at);
        return;
    case T_POINT2D:
    case T_POINT3D: {
        float x = std::bit_cast<float>(r_.u32());
        float y = std::bit_cast<float>(r_.u32());
        if (type == T_POINT3D)
            point3d_make_at(out, x, y, std::bit_cast<float>(r_.u32()));
        else
            point2d_make_at(out, x, y);
        return;
    }
    default:
        r_.invalid(at);
    }
}

void Compact::series(uint8_t type, bool flag, bool ref, const Cell& block, uint32_t i,
                     const uint8_t* at) {
    bool headed = type != T_BITSET && type != T_MAP;
    uint32_t h = headed ? head(flag) : 0;
    if (ref) {
        *XelbinReader::cell(block, i) = reference(type, h, at);
        return;
    }
    if (is_block_kind(type) || type == T_MAP) {
        uint32_t n = r_.count(r_.varint(), 1, at);
        if (h > n || (type == T_MAP && n % 2)) r_.invalid(at);
        auto read = [this](const Cell& into) { record(into); };
        if (type == T_MAP) {
            r_.depth++;
            xelbin_map(n, block, i, read);
            r_.depth--;
            return;
        }
        bool library = r_.mode == kXelbinBoot && !g_xelbin_codec;
        xelbin_block(type, h, n, library, block, i, read);
        return;
    }
    Offset node = 0;
    uint8_t item = 0;
    if (is_string_kind(type)) {
        uint32_t e = r_.varint();
        uint32_t code = e & 3;
        if (code == 3) r_.invalid(at);
        uint32_t unit = 1u << code, n = r_.count(e >> 2, unit, at);
        const uint8_t* chars = r_.take(static_cast<size_t>(n) * unit);
        if (unit == 4) xelbin_check_code_points(r_, chars, n, at);
        if (h > n) r_.invalid(at);
        node = xelbin_series_of_bytes(chars, n, unit);
    } else if (type == T_VECTOR) {
        uint8_t b = r_.u8();
        uint32_t unit = (b & 3) == 3 ? 8 : 1u << (b & 3);
        item = static_cast<uint8_t>(b >> 2);
        bool numeric = item == T_FLOAT || item == T_PERCENT;
        if (!vector_item_type_ok(item) || (numeric ? unit < 4 : unit > 4)) r_.invalid(at);
        uint32_t n = r_.count(r_.varint(), unit, at);
        if (h > n) r_.invalid(at);
        node = xelbin_series_of_bytes(r_.take(static_cast<size_t>(n) * unit), n, unit);
    } else if (type == T_BINARY || type == T_BITSET) {
        uint32_t n = r_.count(r_.varint(), 1, at);
        if (h > n) r_.invalid(at);
        node = xelbin_series_of_bytes(r_.take(n), n, 1);
        if (type == T_BITSET && flag) series_or_flags(node, kBitsetNegated);
    } else {
        xelbin_refused(type);
    }
    Cell v{};
    series_set_cell(&v, type, node, static_cast<int32_t>(h));
    if (type == T_VECTOR) vector_set_item_type(&v, item);
    *XelbinReader::cell(block, i) = v;
}

// A context record after its type byte has been read. The object! that holds
// it (class id -1, no event record) is written to the slot and as the
// context's self before its values are read, so that references reach it.
Offset Compact::context(const Cell& block, uint32_t i, const uint8_t* at) {
    uint8_t flags = r_.u8();
    uint32_t kind = flags & kCtxKindMask;
    bool stack = flags & kCtxStackValues;
    if (kind > kContextObject) r_.invalid(at);
    uint32_t n = r_.count(r_.varint(), 1, at);
    Offset ctx = xelbin_context_open(r_, kind, stack, n, block, i, at);
    for (uint32_t k = 0; k < n; k++) {
        const uint8_t* sym_at = r_.pos;
        xelbin_context_word(r_, ctx, r_.symbol(r_.varint(), sym_at), stack, sym_at);
    }
    if ((flags & kCtxValues) && !stack) {
        Cell values = xelbin_context_values(ctx);
        for (uint32_t k = 0; k < n; k++)
            record(values);
    }
    return ctx;
}

void Compact::object(bool flag, bool ref, const Cell& block, uint32_t i, const uint8_t* at) {
    if (ref) {
        *XelbinReader::cell(block, i) = xelbin_shared(r_, r_.resolve(path(), at), T_OBJECT, at);
        return;
    }
    int32_t class_id = r_.zigzag();
    if (flag) {
        r_.zigzag();
        r_.zigzag();
    }
    const uint8_t* ctx_at = r_.pos;
    if ((r_.u8() & kCpTypeMask) != T_CONTEXT) r_.invalid(ctx_at);
    Offset ctx = context(block, i, ctx_at);
    Cell obj = *XelbinReader::cell(block, i);
    object_set_class_id(&obj, g_xelbin_codec ? 0xFFFFFFFFu : static_cast<uint32_t>(class_id));
    if (flag) object_attach_events(&obj);
    *context_self(ctx) = obj;
    *XelbinReader::cell(block, i) = obj;
}

Cell Compact::function_part(uint32_t capacity) {
    const uint8_t* at = r_.pos;
    bool ref = false;
    uint8_t b;
    for (;;) {
        b = r_.u8();
        if (b == kCpNewLine) continue;
        if (b != kCpReference) break;
        ref = true;
    }
    if (b >= 0x80 || (b & kCpTypeMask) != T_BLOCK) r_.invalid(at);
    if (b & kCpFlag) r_.varint();
    if (ref) {
        Cell v = reference(T_BLOCK, 0, at);
        return v;
    }
    uint32_t n = r_.count(r_.varint(), 1, at);
    Cell v;
    block_make_at(&v, static_cast<int>(n > capacity ? n : capacity));
    Cell* held = stack_push(&v);
    for (uint32_t k = 0; k < n; k++)
        record(v);
    g_stack_top = held;
    return v;
}

void Compact::function(bool ref, const Cell& block, uint32_t i, const uint8_t* at) {
    if (ref) {
        *XelbinReader::cell(block, i) = xelbin_shared(r_, r_.resolve(path(), at), T_FUNCTION, at);
        return;
    }
    uint32_t spec_size = r_.count(r_.varint(), 1, at);
    uint32_t body_size = r_.count(r_.varint(), 1, at);
    const uint8_t* ctx_at = r_.pos;
    if ((r_.u8() & kCpTypeMask) != T_CONTEXT) r_.invalid(ctx_at);
    Offset ctx = context(block, i, ctx_at);
    Cell fn = xelbin_function_open(ctx, spec_size, block, i);
    r_.depth++;
    Cell spec_part = function_part(spec_size);
    Cell body = function_part(body_size);
    r_.depth--;
    xelbin_function_close(fn, spec_part, body, block, i);
}

Cell Compact::decode_one() {
    Cell temp;
    block_make_at(&temp, 1);
    Cell* held = stack_push(&temp);
    r_.depth++;
    record(temp);
    r_.depth--;
    Cell v = *block_cell_at(&temp, 0);
    g_stack_top = held;
    return v;
}

void Compact::native(uint8_t type, const Cell& block, uint32_t i, const uint8_t* at) {
    uint32_t index = r_.varint();
    xelbin_check_native(r_, type, index, at);
    Cell spec = decode_one();
    *XelbinReader::cell(block, i) = xelbin_native(r_, type, index, spec, at);
}

void Compact::error(const Cell& block, uint32_t i, const uint8_t* at) {
    xelbin_error(r_, r_.varint(), block, i, at, [this] { return decode_one(); });
}

void Compact::word(uint8_t type, bool flag, const Cell& block, uint32_t i, const uint8_t* at) {
    uint32_t symbol = r_.symbol(r_.varint(), at);
    Cell w;
    word_make_at(&w, symbol);
    cell_set_type(&w, type);
    *XelbinReader::cell(block, i) = w;
    if (!flag) return;
    Offset ctx = 0;
    int32_t slot;
    if (r_.mode == kXelbinBoot && !g_xelbin_codec) {
        uint32_t root = r_.varint();
        slot = r_.zigzag();
        uint32_t root_at = r_.base_count + root;
        if (root_at >= block_buffer_length(&r_.target)) r_.invalid(at);
        ctx = xelbin_owner_context(r_, *block_cell_at(&r_.target, root_at), at);
    } else {
        slot = r_.zigzag();
        const uint8_t* owner_at = r_.pos;
        uint8_t b = r_.u8();
        Cell owner;
        if (b == kCpReference) {
            owner = r_.resolve(path(), owner_at);
            op_unwrap_function(&owner);
        } else if (b < 0x80 && ((b & kCpTypeMask) == T_OBJECT || (b & kCpTypeMask) == T_FUNCTION)) {
            Cell holder;
            block_make_at(&holder, 1);
            Cell* held = stack_push(&holder);
            uint32_t k = XelbinReader::append(holder);
            r_.depth++;
            make(b & kCpTypeMask, b & kCpFlag, false, holder, k, owner_at);
            r_.depth--;
            owner = *block_cell_at(&holder, k);
            g_stack_top = held;
        } else {
            r_.invalid(owner_at);
        }
        ctx = xelbin_owner_context(r_, owner, owner_at);
    }
    xelbin_bind_word(r_, block, i, type, ctx, symbol, slot, at);
}

} // namespace

void xelbin_read_compact(XelbinReader& r) {
    r.varint(); // root count: the records are walked to their end instead
    const uint8_t* at = r.pos;
    uint32_t records = r.varint();
    if (r.flags & kXelbinSymbols) {
        uint32_t count = r.varint();
        xelbin_symbol_table(r, count, r.varint(), at);
    }
    xelbin_records_end(r, records, at);
    Compact reader(r);
    while (r.pos < r.end)
        reader.record(r.target);
}

} // namespace xel
