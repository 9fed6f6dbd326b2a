// The word encoding: records of 32-bit words.
#include <bit>
#include <cstring>

#include "boot/xelbin/xelbin-format.h"
#include "boot/xelbin/xelbin-reader.h"
#include "boot/xelbin/xelbin-writer.h"
#include "boot/xelbin/xelbin.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/date/date-cell.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/issue/issue-cell.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/datatypes/money/money-cell.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/point3d/point3d-cell.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/memory/series-memory.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

constexpr uint32_t kUnitShift = 8;
constexpr uint32_t kSourceShift = 16;
constexpr uint32_t kCtxKindShift = 26;
constexpr uint32_t kCtxSelfBit = 1u << 28;
constexpr uint32_t kCtxStackBit = 1u << 29;
constexpr uint32_t kCtxValuesBit = 1u << 30;
constexpr int kMaxDepth = 4096;

// Word i of a payload given as bytes (tuples and typesets keep bytes).
uint32_t payload_word(const uint8_t* bytes, int i) {
    uint32_t w;
    std::memcpy(&w, bytes + 4 * i, sizeof w);
    return w;
}

class WordWriter {
  public:
    void value(const Cell* v);
    std::vector<uint8_t> finish();

  private:
    void u32(uint32_t w) {
        for (int i = 0; i < 4; i++)
            out_.push_back(static_cast<uint8_t>(w >> 8 * i));
    }
    void padded(const uint8_t* p, size_t n) {
        size_t at = out_.size();
        out_.resize(at + (n + 3) / 4 * 4, 0);
        if (n) std::memcpy(out_.data() + at, p, n);
    }
    void real(uint32_t header, double d) {
        if (out_.size() % 8) u32(0);
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        u32(header);
        u32(static_cast<uint32_t>(bits >> 32));
        u32(static_cast<uint32_t>(bits));
    }
    void reference(const std::vector<uint32_t>& p) {
        u32(kWdReference);
        u32(static_cast<uint32_t>(p.size()));
        for (uint32_t i : p)
            u32(i);
    }
    void context(Offset ctx);
    void object(const Cell* v, uint32_t nl);
    void function(const Cell* v, uint32_t nl);
    void series(const Cell* v, uint32_t nl, const std::vector<uint32_t>* shared);
    void word(const Cell* v, uint32_t nl);
    bool nodal(const Cell* v, uint32_t nl);
    void scalar(const Cell* v, uint32_t nl);

    std::vector<uint8_t> out_;
    XelbinSymbols symbols_;
    XelbinPaths paths_;
};

void WordWriter::context(Offset ctx) {
    Cell* cc = context_cell(ctx);
    bool stack = (cc->header & kContextStackValues) != 0;
    uint32_t n = context_word_count(ctx);
    bool values = xelbin_context_values_written(ctx);
    bool self = type_of(context_self(ctx)) != T_UNSET;
    u32(T_CONTEXT | context_kind(ctx) << kCtxKindShift | (self ? kCtxSelfBit : 0) |
        (stack ? kCtxStackBit : 0) | (values ? kCtxValuesBit : 0));
    u32(n);
    for (uint32_t i = 0; i < n; i++)
        u32(symbols_.index(word_symbol(context_word_at(ctx, i)), 8));
    if (!values) return;
    for (uint32_t i = 0; i < n; i++) {
        Cell item = *context_value_at(ctx, i);
        value(&item);
    }
}

void WordWriter::object(const Cell* v, uint32_t nl) {
    Offset events = object_events(v);
    u32(T_OBJECT | nl | (events ? kWdHasEvents : 0));
    u32(object_class_id(v));
    if (events) {
        u32(static_cast<uint32_t>(object_event_handler(v, kEventOnChange)));
        u32(static_cast<uint32_t>(object_event_handler(v, kEventOnDeepChange)));
    }
    context(object_context(v));
}

void WordWriter::function(const Cell* v, uint32_t nl) {
    Cell spec;
    block_set_cell(&spec, T_BLOCK, function_spec_node(v), 0);
    Cell body = function_record(v)[kRecordBody];
    u32(T_FUNCTION | nl);
    u32(block_buffer_length(&spec));
    u32(type_of(&body) == T_BLOCK ? block_buffer_length(&body) : 0);
    context(function_context(v));
    value(&spec);
    if (type_of(&body) == T_BLOCK) {
        series_set_index(&body, 0);
        value(&body);
    } else {
        u32(T_BLOCK);
        u32(0);
        u32(0);
        paths_.counter++;
    }
}

void WordWriter::series(const Cell* v, uint32_t nl, const std::vector<uint32_t>* shared) {
    uint8_t t = type_of(v);
    SeriesBuf* buf = series_buffer(v);
    uint32_t header = t | nl | (shared ? kWdShared : 0);
    if (is_string_kind(t) || t == T_BINARY || t == T_VECTOR) header |= buf->unit() << kUnitShift;
    if (t == T_BITSET && bitset_negated(v)) header |= kWdNegated;
    u32(header);
    if (t != T_BITSET && t != T_MAP) u32(static_cast<uint32_t>(series_index(v)));
    if (shared) return reference(*shared);
    if (is_block_kind(t) || t == T_MAP) {
        uint32_t n = buf->used() / sizeof(Cell);
        if (t == T_MAP) {
            u32(2 * map_count(v));
        } else {
            u32(n);
        }
        for (uint32_t i = 0; i < n; i++) {
            Cell* cells = at<Cell>(series_buffer(v)->head);
            if (t == T_MAP && (i % 2 || cells[i + 1].header == 0)) continue;
            Cell item = cells[i];
            value(&item);
            if (t == T_MAP) {
                Cell next = at<Cell>(series_buffer(v)->head)[i + 1];
                value(&next);
            }
        }
        return;
    }
    uint32_t unit = buf->unit();
    u32(buf->used() / unit);
    if (t == T_VECTOR) u32(vector_item_type(v));
    padded(at<uint8_t>(series_buffer(v)->head), buf->used());
}

void WordWriter::word(const Cell* v, uint32_t nl) {
    Offset ctx = xelbin_shared_node(v);
    const auto* shared = paths_.find(ctx);
    u32(type_of(v) | nl | (shared ? kWdShared : 0));
    u32(symbols_.index(word_symbol(v), 8));
    u32(static_cast<uint32_t>(word_index(v)));
    if (shared) return reference(*shared);
    Cell owner = *context_self(ctx);
    paths_.open(ctx);
    if (type_of(&owner) == T_OBJECT)
        object(&owner, 0);
    else
        function(&owner, 0);
    paths_.close();
}

bool WordWriter::nodal(const Cell* v, uint32_t nl) {
    uint8_t t = type_of(v);
    Offset node = xelbin_shared_node(v);
    if (!node) return false;
    if (t >= T_WORD && t <= T_REFINEMENT) {
        word(v, nl);
        return true;
    }
    if (const auto* p = paths_.find(node)) {
        if (t == T_OBJECT || t == T_FUNCTION) {
            u32(t | nl | kWdShared);
            reference(*p);
        } else {
            series(v, nl, p);
        }
        return true;
    }
    paths_.open(node);
    if (t == T_OBJECT)
        object(v, nl);
    else if (t == T_FUNCTION)
        function(v, nl);
    else
        series(v, nl, nullptr);
    paths_.close();
    return true;
}

void WordWriter::scalar(const Cell* v, uint32_t nl) {
    uint8_t t = type_of(v);
    switch (t) {
    case T_UNSET:
    case T_NONE:
        u32(t | nl);
        break;
    case T_DATATYPE:
        u32(t | nl);
        u32(datatype_id(v));
        break;
    case T_LOGIC:
        u32(t | nl);
        u32(logic_get(v) ? 1 : 0);
        break;
    case T_CHAR:
        u32(t | nl);
        u32(char_value(v));
        break;
    case T_INTEGER:
        u32(t | nl);
        u32(static_cast<uint32_t>(integer_get(v)));
        break;
    case T_PAIR:
        u32(t | nl);
        u32(static_cast<uint32_t>(pair_x(v)));
        u32(static_cast<uint32_t>(pair_y(v)));
        break;
    case T_FLOAT:
    case T_PERCENT:
    case T_TIME:
        real(t | nl, cell_double(v));
        break;
    case T_POINT2D:
    case T_POINT3D:
        u32(t | nl);
        for (int i = 0; i < (t == T_POINT3D ? 3 : 2); i++)
            u32(std::bit_cast<uint32_t>(point_coordinate(v, i)));
        break;
    case T_TYPESET:
        u32(t | nl);
        for (int i = 0; i < 3; i++)
            u32(payload_word(typeset_bytes(v), i));
        break;
    case T_DATE: {
        uint64_t bits;
        double d = cell_double(v);
        std::memcpy(&bits, &d, sizeof bits);
        u32(t | nl);
        u32(date_packed(v));
        u32(static_cast<uint32_t>(bits >> 32));
        u32(static_cast<uint32_t>(bits));
        break;
    }
    case T_TUPLE:
        u32(t | nl | tuple_count(v) << kUnitShift);
        for (int i = 0; i < 3; i++)
            u32(payload_word(tuple_bytes(v), i));
        break;
    case T_MONEY:
        u32(t | nl | (money_sign_bit(v) ? kWdMoneySign : 0));
        padded(money_bytes(v), 12);
        break;
    case T_ISSUE:
    case T_WORD:
    case T_SET_WORD:
    case T_LIT_WORD:
    case T_GET_WORD:
    case T_REFINEMENT:
        u32(t | nl | (t == T_ISSUE ? 0 : kWdGlobal));
        u32(symbols_.index(word_symbol(v), 8));
        if (t != T_ISSUE) u32(static_cast<uint32_t>(word_index(v)));
        break;
    default:
        xelbin_no_codec(v);
    }
}

void WordWriter::value(const Cell* v) {
    uint8_t t = type_of(v);
    if (xelbin_refused_type(t)) xelbin_no_codec(v);
    uint32_t nl = v->header & kNewLineFlag ? kWdNewLine : 0;
    if (t == T_NATIVE || t == T_ACTION) {
        u32(t | nl);
        u32(native_entry(v));
        Cell spec;
        block_set_cell(&spec, T_BLOCK, native_spec_node(v), 0);
        value(&spec);
        return;
    }
    if (t == T_OP) {
        uint8_t source = op_source_type(v);
        if (source == T_ROUTINE) xelbin_no_codec(v);
        u32(T_OP | nl | static_cast<uint32_t>(source) << kSourceShift);
        Cell inner = *v;
        inner.header = source;
        value(&inner);
        return;
    }
    if (t == T_ERROR) {
        Offset ctx = error_context(v);
        u32(T_ERROR | nl);
        u32(static_cast<uint32_t>(integer_get(context_value_at(ctx, kErrFieldCode))));
        paths_.open_level();
        for (uint32_t f = kErrFieldArg1; f <= kErrFieldStack; f++) {
            Cell field = *context_value_at(ctx, f);
            value(&field);
        }
        paths_.close();
    } else if (!nodal(v, nl)) {
        scalar(v, nl);
    }
    paths_.counter++;
}

std::vector<uint8_t> WordWriter::finish() {
    std::vector<uint8_t> records;
    records.swap(out_);
    bool with_symbols = !symbols_.ids.empty();
    for (char c : kXelbinMagic)
        out_.push_back(static_cast<uint8_t>(c));
    out_.push_back(kXelbinVersion);
    out_.push_back(with_symbols ? kXelbinSymbols : 0);
    u32(1);
    u32(static_cast<uint32_t>(records.size()));
    if (with_symbols) {
        u32(static_cast<uint32_t>(symbols_.ids.size()));
        u32(static_cast<uint32_t>(symbols_.names.size()));
        for (uint32_t offset : symbols_.offsets)
            u32(offset);
        padded(symbols_.names.data(), symbols_.names.size());
    }
    size_t at = out_.size();
    out_.resize(at + records.size());
    if (!records.empty()) std::memcpy(out_.data() + at, records.data(), records.size());
    return std::move(out_);
}

[[noreturn]] void header_invalid_data(const XelbinReader& r) {
    Cell payload;
    auto n = static_cast<uint32_t>(r.end - r.start < 8 ? r.end - r.start : 8);
    binary_make_at(&payload, n);
    binary_xs_append(&payload, r.start, n);
    error_fire(kCatScript, err::script::kInvalidData, &payload);
}

class WordReader {
  public:
    explicit WordReader(XelbinReader& r) : r_(r) {}
    void record(const Cell& block);

  private:
    uint32_t header(const uint8_t** at);
    std::vector<uint32_t> path(const uint8_t* at);
    void make(uint32_t h, const Cell& block, uint32_t i, const uint8_t* at);
    void series(uint32_t h, const Cell& block, uint32_t i, const uint8_t* at);
    Offset context(const Cell& block, uint32_t i);
    // The header word of the context record inside an object! or function!.
    void context_header() {
        const uint8_t* at;
        if ((header(&at) & 0xFF) != T_CONTEXT) r_.invalid(at);
    }
    void object(uint32_t h, const Cell& block, uint32_t i, const uint8_t* at);
    void function(uint32_t h, const Cell& block, uint32_t i, const uint8_t* at);
    void word(uint32_t h, const Cell& block, uint32_t i, const uint8_t* at);
    Cell decode_one();
    void record_part(const Cell& parts, const uint8_t* at);
    double f64_high_first() {
        uint64_t high = r_.u32();
        uint64_t bits = high << 32 | r_.u32();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

    XelbinReader& r_;
};

// The next record's header word, fillers skipped.
uint32_t WordReader::header(const uint8_t** at) {
    uint32_t h;
    do {
        *at = r_.pos;
        h = r_.u32();
    } while (h == 0);
    return h;
}

std::vector<uint32_t> WordReader::path(const uint8_t* at) {
    if (r_.u32() != kWdReference) r_.invalid(at);
    uint32_t n = r_.u32();
    if (n < 1 || n > kXelbinMaxPath) r_.invalid(at);
    r_.count(n, 4, at);
    std::vector<uint32_t> p(n);
    for (uint32_t& i : p)
        i = r_.u32();
    return p;
}

void WordReader::record(const Cell& block) {
    const uint8_t* at;
    uint32_t h = header(&at);
    uint32_t i = XelbinReader::append(block);
    if (++r_.depth > kMaxDepth) r_.invalid(at);
    make(h, block, i, at);
    r_.depth--;
    Cell* c = XelbinReader::cell(block, i);
    c->header &= ~kNewLineFlag;
    if (h & kWdNewLine) c->header |= kNewLineFlag;
}

Cell WordReader::decode_one() {
    Cell temp;
    block_make_at(&temp, 1);
    Cell* held = stack_push(&temp);
    record(temp);
    Cell v = *block_cell_at(&temp, 0);
    g_stack_top = held;
    return v;
}

void WordReader::make(uint32_t h, const Cell& block, uint32_t i, const uint8_t* at) {
    auto type = static_cast<uint8_t>(h);
    if (xelbin_refused_type(type)) xelbin_refused(type);
    Cell v{};
    switch (type) {
    case T_DATATYPE:
        v = xelbin_datatype(r_, r_.u32(), at);
        break;
    case T_UNSET:
    case T_NONE:
        if (type == T_UNSET)
            set_unset(&v);
        else
            set_none(&v);
        break;
    case T_LOGIC:
        set_logic(&v, r_.u32() != 0);
        break;
    case T_CHAR:
        v = xelbin_char(r_, r_.u32(), at);
        break;
    case T_INTEGER:
        set_integer(&v, static_cast<int32_t>(r_.u32()));
        break;
    case T_FLOAT:
    case T_PERCENT:
    case T_TIME:
        float_kind_make_at(&v, type, f64_high_first());
        break;
    case T_PAIR: {
        auto x = static_cast<int32_t>(r_.u32());
        pair_make_at(&v, x, static_cast<int32_t>(r_.u32()));
        break;
    }
    case T_POINT2D:
    case T_POINT3D: {
        float x = std::bit_cast<float>(r_.u32());
        float y = std::bit_cast<float>(r_.u32());
        if (type == T_POINT3D)
            point3d_make_at(&v, x, y, std::bit_cast<float>(r_.u32()));
        else
            point2d_make_at(&v, x, y);
        break;
    }
    case T_TYPESET: {
        uint32_t words[3] = {r_.u32(), r_.u32(), r_.u32()};
        v = typeset_of_bytes(reinterpret_cast<const uint8_t*>(words));
        break;
    }
    case T_DATE: {
        uint32_t packed = r_.u32();
        v = xelbin_date(r_, packed, f64_high_first(), at);
        break;
    }
    case T_TUPLE: {
        uint32_t n = (h >> kUnitShift) & 0xFF;
        if (n < kTupleMinBytes || n > kTupleMaxBytes) r_.invalid(at);
        uint32_t words[3] = {r_.u32(), r_.u32(), r_.u32()};
        tuple_make_at(&v, reinterpret_cast<const uint8_t*>(words), n);
        break;
    }
    case T_MONEY:
        v = xelbin_money(r_, (h & kWdMoneySign) != 0, at);
        break;
    case T_ISSUE:
        issue_make_at_symbol(&v, r_.symbol(r_.u32(), at));
        break;
    case T_WORD:
    case T_SET_WORD:
    case T_LIT_WORD:
    case T_GET_WORD:
    case T_REFINEMENT:
        return word(h, block, i, at);
    case T_CONTEXT:
        context(block, i);
        return;
    case T_OBJECT:
        return object(h, block, i, at);
    case T_FUNCTION:
        return function(h, block, i, at);
    case T_NATIVE:
    case T_ACTION: {
        uint32_t index = r_.u32();
        xelbin_check_native(r_, type, index, at);
        Cell spec = decode_one();
        v = xelbin_native(r_, type, index, spec, at);
        break;
    }
    case T_OP: {
        auto source = static_cast<uint8_t>(h >> kSourceShift);
        const uint8_t* inner_at;
        uint32_t inner = header(&inner_at);
        if (static_cast<uint8_t>(inner) != source ||
            (source != T_NATIVE && source != T_ACTION && source != T_FUNCTION))
            r_.invalid(inner_at);
        make(inner, block, i, inner_at);
        xelbin_op_close(block, i, source);
        return;
    }
    case T_ERROR:
        xelbin_error(r_, r_.u32(), block, i, at, [this] { return decode_one(); });
        return;
    default:
        if (is_block_kind(type) || is_string_kind(type) || type == T_BINARY || type == T_VECTOR ||
            type == T_BITSET || type == T_MAP)
            return series(h, block, i, at);
        r_.invalid(at);
    }
    *XelbinReader::cell(block, i) = v;
}

void WordReader::series(uint32_t h, const Cell& block, uint32_t i, const uint8_t* at) {
    auto type = static_cast<uint8_t>(h);
    uint32_t head = type != T_BITSET && type != T_MAP ? r_.u32() : 0;
    if (h & kWdShared) {
        Cell v = r_.resolve(path(at), at);
        uint8_t t = type_of(&v);
        if (!xelbin_same_shape(type, t) || xelbin_shared_node(&v) == 0) r_.invalid(at);
        *XelbinReader::cell(block, i) = xelbin_retyped(v, type, head);
        return;
    }
    if (is_block_kind(type) || type == T_MAP) {
        uint32_t n = r_.count(r_.u32(), 4, at);
        if (head > n || (type == T_MAP && n % 2)) r_.invalid(at);
        auto read = [this](const Cell& into) { record(into); };
        if (type == T_MAP)
            xelbin_map(n, block, i, read);
        else
            xelbin_block(type, head, n, false, block, i, read);
        return;
    }
    uint32_t unit = type == T_BITSET ? 1 : (h >> kUnitShift) & 0xFF;
    uint32_t n = r_.u32();
    uint8_t item = 0;
    if (type == T_VECTOR) {
        item = static_cast<uint8_t>(r_.u32());
        bool numeric = item == T_FLOAT || item == T_PERCENT;
        if (!vector_item_type_ok(item) ||
            (numeric ? unit != 4 && unit != 8 : unit != 1 && unit != 2 && unit != 4))
            r_.invalid(at);
    } else if (is_string_kind(type) ? unit != 1 && unit != 2 && unit != 4 : unit != 1) {
        r_.invalid(at);
    }
    r_.count(n, unit, at);
    size_t bytes = static_cast<size_t>(n) * unit;
    const uint8_t* data = r_.take(bytes);
    r_.take((4 - bytes % 4) % 4);
    if (unit == 4 && is_string_kind(type)) xelbin_check_code_points(r_, data, n, at);
    if (head > n) r_.invalid(at);
    Cell v{};
    series_set_cell(&v, type, xelbin_series_of_bytes(data, n, unit), static_cast<int32_t>(head));
    if (type == T_VECTOR) vector_set_item_type(&v, item);
    if (type == T_BITSET && (h & kWdNegated)) series_or_flags(series_node(&v), kBitsetNegated);
    *XelbinReader::cell(block, i) = v;
}

// A context record, its header word read; the object! holding it stands in
// the slot and as the context's self before the values are read.
Offset WordReader::context(const Cell& block, uint32_t i) {
    const uint8_t* at = r_.pos - 4;
    uint32_t h;
    std::memcpy(&h, at, 4);
    uint32_t kind = (h >> kCtxKindShift) & 3;
    bool stack = h & kCtxStackBit;
    if (kind > kContextObject) r_.invalid(at);
    uint32_t n = r_.count(r_.u32(), 4, at);
    Offset ctx = xelbin_context_open(r_, kind, stack, n, block, i, at);
    for (uint32_t k = 0; k < n; k++) {
        const uint8_t* sym_at = r_.pos;
        xelbin_context_word(r_, ctx, r_.symbol(r_.u32(), sym_at), stack, sym_at);
    }
    if ((h & kCtxValuesBit) && !stack) {
        Cell values = xelbin_context_values(ctx);
        for (uint32_t k = 0; k < n; k++)
            record(values);
    }
    return ctx;
}

void WordReader::object(uint32_t h, const Cell& block, uint32_t i, const uint8_t* at) {
    if (h & kWdShared) {
        *XelbinReader::cell(block, i) = xelbin_shared(r_, r_.resolve(path(at), at), T_OBJECT, at);
        return;
    }
    r_.u32(); // the class id: decoded objects take -1
    if (h & kWdHasEvents) {
        r_.u32();
        r_.u32();
    }
    context_header();
    Offset ctx = context(block, i);
    Cell obj = *XelbinReader::cell(block, i);
    if (h & kWdHasEvents) object_attach_events(&obj);
    *context_self(ctx) = obj;
    *XelbinReader::cell(block, i) = obj;
}

void WordReader::function(uint32_t h, const Cell& block, uint32_t i, const uint8_t* at) {
    if (h & kWdShared) {
        *XelbinReader::cell(block, i) = xelbin_shared(r_, r_.resolve(path(at), at), T_FUNCTION, at);
        return;
    }
    r_.count(r_.u32(), 4, at); // spec cells
    r_.count(r_.u32(), 4, at); // body cells
    context_header();
    Offset ctx = context(block, i);
    Cell fn = xelbin_function_open(ctx, 1, block, i);
    // The spec and the body are the function's values 0 and 1.
    Cell parts;
    block_make_at(&parts, 2);
    Cell* held = stack_push(&parts);
    record_part(parts, at);
    record_part(parts, at);
    g_stack_top = held;
    xelbin_function_close(fn, *block_cell_at(&parts, 0), *block_cell_at(&parts, 1), block, i);
}

void WordReader::record_part(const Cell& parts, const uint8_t* at) {
    record(parts);
    Cell* c = block_cell_at(&parts, block_buffer_length(&parts) - 1);
    if (type_of(c) != T_BLOCK) r_.invalid(at);
    series_set_index(c, 0);
}

void WordReader::word(uint32_t h, const Cell& block, uint32_t i, const uint8_t* at) {
    auto type = static_cast<uint8_t>(h);
    uint32_t symbol = r_.symbol(r_.u32(), at);
    auto slot = static_cast<int32_t>(r_.u32());
    Cell w;
    word_make_at(&w, symbol);
    cell_set_type(&w, type);
    *XelbinReader::cell(block, i) = w;
    if (h & kWdGlobal) return;
    Cell owner;
    if (h & kWdShared) {
        owner = r_.resolve(path(at), at);
        op_unwrap_function(&owner);
    } else {
        Cell holder;
        block_make_at(&holder, 1);
        Cell* held = stack_push(&holder);
        record(holder);
        owner = *block_cell_at(&holder, 0);
        g_stack_top = held;
    }
    xelbin_bind_word(r_, block, i, type, xelbin_owner_context(r_, owner, at), symbol, slot, at);
}

} // namespace

std::vector<uint8_t> xelbin_write_words(const Cell* value) {
    WordWriter writer;
    writer.value(value);
    return writer.finish();
}

void xelbin_read_words(XelbinReader& r) {
    const uint8_t* at = r.pos;
    if (r.left() < 8) header_invalid_data(r);
    r.u32(); // root count: the records are walked to their end instead
    uint32_t records = r.u32();
    if (r.flags & kXelbinSymbols) {
        uint32_t count = r.u32();
        xelbin_symbol_table(r, count, r.u32(), at);
    }
    xelbin_records_end(r, records, at);
    WordReader reader(r);
    while (r.pos < r.end) {
        if (r.left() >= 4 && r.pos[0] == 0 && r.pos[1] == 0 && r.pos[2] == 0 && r.pos[3] == 0) {
            r.pos += 4;
            continue;
        }
        reader.record(r.target);
    }
}

} // namespace xel
