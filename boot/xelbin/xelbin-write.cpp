// The compact writer (and what both writers share).
#include <bit>
#include <cmath>
#include <cstring>

#include "boot/xelbin/xelbin-format.h"
#include "boot/xelbin/xelbin-writer.h"
#include "runtime/datatypes/bitset/bitset.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/date/date-cell.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/datatypes/money/money-cell.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/datatypes/typeset/typeset.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/symbols.h"

namespace xel {

uint32_t XelbinSymbols::index(uint32_t symbol, uint32_t fill) {
    auto found = index_of.find(symbol);
    if (found != index_of.end()) return found->second;
    uint32_t length = 0;
    const char* name = symbol_name(symbol, &length);
    offsets.push_back(static_cast<uint32_t>(names.size()));
    size_t at = names.size();
    names.resize(at + length + 1);
    std::memcpy(names.data() + at, name, length);
    while (names.size() % fill)
        names.push_back(0);
    auto i = static_cast<uint32_t>(ids.size());
    ids.push_back(symbol);
    index_of.emplace(symbol, i);
    return i;
}

const std::vector<uint32_t>* XelbinPaths::find(Offset node) const {
    auto found = written.find(node);
    return found == written.end() ? nullptr : &found->second;
}

void XelbinPaths::open_level() {
    levels.push_back(counter);
    counter = 0;
}

void XelbinPaths::open(Offset node) {
    open_level();
    written.emplace(node, levels);
}

void XelbinPaths::close() {
    counter = levels.back();
    levels.pop_back();
}

[[noreturn]] void xelbin_no_codec(const Cell* v) {
    Cell value = *v;
    error_fire(kCatAccess, err::access::kNoCodec, &value);
}

namespace {

// A word's context when the word is written with its owner: a context whose
// self value is an object! or a function!; else 0 (written as global).
Offset bound_context(const Cell* w) {
    Offset ctx = word_context(w);
    if (!ctx || ctx == g_global_context) return 0;
    uint8_t owner = type_of(context_self(ctx));
    return owner == T_OBJECT || owner == T_FUNCTION ? ctx : 0;
}

} // namespace

bool xelbin_context_values_written(Offset ctx) {
    if (context_cell(ctx)->header & kContextStackValues || !context_has_values(ctx)) return false;
    uint32_t n = context_word_count(ctx);
    for (uint32_t i = 0; i < n; i++)
        if (type_of(context_value_at(ctx, i)) != T_UNSET) return true;
    return false;
}

Offset xelbin_shared_node(const Cell* v) {
    uint8_t t = type_of(v);
    if (t >= T_WORD && t <= T_REFINEMENT) return bound_context(v);
    if (t == T_OBJECT) return object_context(v);
    if (t == T_FUNCTION) return function_context(v);
    if (is_block_kind(t) || is_string_kind(t) || t == T_BINARY || t == T_VECTOR || t == T_BITSET ||
        t == T_MAP || t == T_IMAGE)
        return series_node(v);
    return 0;
}

void CompactWriter::varint(uint32_t v) {
    while (v >= 0x80) {
        byte(static_cast<uint8_t>(v | 0x80));
        v >>= 7;
    }
    byte(static_cast<uint8_t>(v));
}

void CompactWriter::zigzag(int32_t v) {
    varint((static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v >> 31));
}

void CompactWriter::raw32(uint32_t v) {
    for (int i = 0; i < 4; i++)
        byte(static_cast<uint8_t>(v >> 8 * i));
}

void CompactWriter::bytes(const uint8_t* p, size_t n) {
    size_t at = out_.size();
    out_.resize(at + n);
    if (n) std::memcpy(out_.data() + at, p, n);
}

void CompactWriter::type_byte(uint8_t type, bool flag) {
    if (type >= kCpTypeFollows) {
        byte(kCpTypeFollows | (flag ? kCpFlag : 0));
        varint(type);
    } else {
        byte(type | (flag ? kCpFlag : 0));
    }
}

void CompactWriter::path(const std::vector<uint32_t>& p) {
    varint(static_cast<uint32_t>(p.size()));
    for (uint32_t i : p)
        varint(i);
}

// float!, time! (scale 1) and percent! (scale 100): the integer form when it
// gives the value back exactly; -0.0 keeps its sign as a double.
void CompactWriter::real(uint8_t type, double d, double scale, double limit) {
    double scaled = d * scale;
    double whole = scale == 1 ? std::trunc(scaled) : std::round(scaled);
    bool integral = scaled >= -limit && scaled <= limit && whole == scaled &&
                    !(d == 0 && std::signbit(d)) && (scale == 1 || whole / scale == d);
    if (integral) {
        type_byte(type, true);
        zigzag(static_cast<int32_t>(whole));
        return;
    }
    type_byte(type, false);
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    raw32(static_cast<uint32_t>(bits));
    raw32(static_cast<uint32_t>(bits >> 32));
}

void CompactWriter::scalar(const Cell* v) {
    uint8_t t = type_of(v);
    switch (t) {
    case T_UNSET:
    case T_NONE:
        type_byte(t, false);
        break;
    case T_DATATYPE:
        type_byte(t, false);
        varint(datatype_id(v));
        break;
    case T_LOGIC:
        byte(logic_get(v) ? kCpTrue : kCpFalse);
        break;
    case T_INTEGER: {
        int32_t n = integer_get(v);
        if (n >= 0 && n < 64) {
            byte(static_cast<uint8_t>(kCpSmallInteger + n));
        } else {
            type_byte(t, false);
            zigzag(n);
        }
        break;
    }
    case T_CHAR:
        type_byte(t, false);
        varint(char_value(v));
        break;
    case T_FLOAT:
    case T_TIME:
        real(t, cell_double(v), 1, 2147483000.0);
        break;
    case T_PERCENT:
        real(t, cell_double(v), 100, 21474836.0);
        break;
    case T_PAIR:
        type_byte(t, false);
        zigzag(pair_x(v));
        zigzag(pair_y(v));
        break;
    case T_POINT2D:
    case T_POINT3D:
        type_byte(t, false);
        for (int i = 0; i < (t == T_POINT3D ? 3 : 2); i++)
            raw32(std::bit_cast<uint32_t>(point_coordinate(v, i)));
        break;
    case T_DATE: {
        bool timed = date_has_time(date_packed(v));
        type_byte(t, timed);
        raw32(date_packed(v));
        if (timed) {
            auto bits = std::bit_cast<uint64_t>(cell_double(v));
            raw32(static_cast<uint32_t>(bits));
            raw32(static_cast<uint32_t>(bits >> 32));
        }
        break;
    }
    case T_TYPESET: {
        const uint8_t* bits = typeset_bytes(v);
        uint8_t n = 12;
        while (n > 0 && bits[n - 1] == 0)
            n--;
        type_byte(t, false);
        byte(n);
        bytes(bits, n);
        break;
    }
    case T_TUPLE: {
        uint32_t n = tuple_count(v);
        type_byte(t, n != 3);
        if (n != 3) byte(static_cast<uint8_t>(n));
        bytes(tuple_bytes(v), n);
        break;
    }
    case T_MONEY:
        type_byte(t, money_sign_bit(v));
        bytes(money_bytes(v), 12);
        break;
    case T_ISSUE:
        type_byte(t, false);
        varint(symbols_.index(word_symbol(v), 1));
        break;
    case T_WORD:
    case T_SET_WORD:
    case T_LIT_WORD:
    case T_GET_WORD:
    case T_REFINEMENT:
        type_byte(t, false);
        varint(symbols_.index(word_symbol(v), 1));
        break;
    default:
        xelbin_no_codec(v);
    }
}

void CompactWriter::native(const Cell* v, uint8_t type) {
    type_byte(type, false);
    varint(native_entry(v));
    Cell spec;
    block_set_cell(&spec, T_BLOCK, native_spec_node(v), 0);
    value(&spec);
}

void CompactWriter::context(Offset ctx) {
    Cell* cc = context_cell(ctx);
    bool stack = (cc->header & kContextStackValues) != 0;
    uint32_t n = context_word_count(ctx);
    bool values = xelbin_context_values_written(ctx);
    uint8_t self = type_of(context_self(ctx)) != T_UNSET ? kCtxSelf : 0;
    type_byte(T_CONTEXT, false);
    byte(static_cast<uint8_t>(context_kind(ctx) | (stack ? kCtxStackValues : 0) | self |
                              (values ? kCtxValues : 0)));
    varint(n);
    for (uint32_t i = 0; i < n; i++)
        varint(symbols_.index(word_symbol(context_word_at(ctx, i)), 1));
    if (!values) return;
    for (uint32_t i = 0; i < n; i++) {
        Cell item = *context_value_at(ctx, i);
        value(&item);
    }
}

void CompactWriter::object(const Cell* v) {
    Offset events = object_events(v);
    type_byte(T_OBJECT, events != 0);
    zigzag(static_cast<int32_t>(object_class_id(v)));
    if (events) {
        zigzag(object_event_handler(v, kEventOnChange));
        zigzag(object_event_handler(v, kEventOnDeepChange));
    }
    context(object_context(v));
}

void CompactWriter::function(const Cell* v) {
    Cell spec;
    block_set_cell(&spec, T_BLOCK, function_spec_node(v), 0);
    Cell body = function_record(v)[kRecordBody];
    if (type_of(&body) != T_BLOCK) block_set_cell(&body, T_BLOCK, 0, 0);
    type_byte(T_FUNCTION, false);
    varint(block_buffer_length(&spec));
    varint(series_node(&body) ? block_buffer_length(&body) : 0);
    context(function_context(v));
    value(&spec);
    if (series_node(&body)) {
        Cell whole = body;
        series_set_index(&whole, 0);
        value(&whole);
    } else {
        type_byte(T_BLOCK, false);
        varint(0);
        paths_.counter++;
    }
}

void CompactWriter::word(const Cell* v) {
    Offset ctx = bound_context(v);
    type_byte(type_of(v), true);
    varint(symbols_.index(word_symbol(v), 1));
    zigzag(word_index(v));
    if (const auto* p = paths_.find(ctx)) {
        byte(kCpReference);
        path(*p);
        return;
    }
    Cell owner = *context_self(ctx);
    paths_.open(ctx);
    if (type_of(&owner) == T_OBJECT)
        object(&owner);
    else
        function(&owner);
    paths_.close();
}

void CompactWriter::series(const Cell* v, bool reference) {
    uint8_t t = type_of(v);
    auto head = static_cast<uint32_t>(series_index(v));
    bool headed = t != T_BITSET && t != T_MAP && head != 0;
    if (t == T_BITSET)
        type_byte(t, bitset_negated(v));
    else
        type_byte(t, headed);
    if (headed) varint(head);
    if (reference) return;
    SeriesBuf* buf = series_buffer(v);
    if (is_block_kind(t)) {
        uint32_t n = buf->used() / sizeof(Cell);
        varint(n);
        for (uint32_t i = 0; i < n; i++) {
            Cell item = at<Cell>(series_buffer(v)->head)[i];
            value(&item);
        }
    } else if (t == T_MAP) {
        uint32_t n = buf->used() / sizeof(Cell);
        varint(2 * map_count(v));
        for (uint32_t i = 0; i + 1 < n; i += 2) {
            Cell* pair = at<Cell>(series_buffer(v)->head) + i;
            if (pair[1].header == 0) continue;
            Cell key = pair[0], item = pair[1];
            value(&key);
            value(&item);
        }
    } else if (is_string_kind(t)) {
        uint32_t unit = buf->unit();
        varint(buf->used() / unit * 4 + xelbin_unit_code(unit));
        bytes(at<uint8_t>(buf->head), buf->used());
    } else if (t == T_VECTOR) {
        uint32_t unit = buf->unit();
        byte(static_cast<uint8_t>(vector_item_type(v) * 4 +
                                  (unit == 8 ? 3 : xelbin_unit_code(unit))));
        varint(buf->used() / unit);
        bytes(at<uint8_t>(buf->head), buf->used());
    } else { // binary!, bitset!
        varint(buf->used());
        bytes(at<uint8_t>(buf->head), buf->used());
    }
}

bool CompactWriter::nodal(const Cell* v) {
    uint8_t t = type_of(v);
    if (t >= T_WORD && t <= T_REFINEMENT) {
        if (!bound_context(v) || boot_) return false;
        word(v);
        return true;
    }
    Offset node = xelbin_shared_node(v);
    if (!node) return false;
    if (const auto* p = paths_.find(node)) {
        byte(kCpReference);
        if (t == T_OBJECT || t == T_FUNCTION)
            type_byte(t, false);
        else
            series(v, true);
        path(*p);
        return true;
    }
    paths_.open(node);
    if (t == T_OBJECT)
        object(v);
    else if (t == T_FUNCTION)
        function(v);
    else
        series(v, false);
    paths_.close();
    return true;
}

void CompactWriter::value(const Cell* v) {
    uint8_t t = type_of(v);
    if (xelbin_refused_type(t)) xelbin_no_codec(v);
    if (v->header & kNewLineFlag) byte(kCpNewLine);
    if (t == T_NATIVE || t == T_ACTION) {
        native(v, t);
        return;
    }
    if (t == T_OP) {
        uint8_t source = op_source_type(v);
        if (source == T_ROUTINE) xelbin_no_codec(v);
        Cell inner = *v;
        inner.header = source;
        byte(T_OP);
        value(&inner);
        return;
    }
    if (t == T_ERROR) {
        Offset ctx = error_context(v);
        type_byte(T_ERROR, false);
        varint(static_cast<uint32_t>(integer_get(context_value_at(ctx, kErrFieldCode))));
        paths_.open_level();
        for (uint32_t f = kErrFieldArg1; f <= kErrFieldStack; f++) {
            Cell field = *context_value_at(ctx, f);
            value(&field);
        }
        paths_.close();
    } else if (!nodal(v)) {
        scalar(v);
    }
    paths_.counter++;
}

void CompactWriter::definition(const Cell* word, const Cell* v) {
    byte(kCpDefinition);
    Cell w = *word;
    w.header = type_of(&w);
    scalar(&w);
    Cell item = *v;
    item.header = type_of(&item);
    value(&item);
}

std::vector<uint8_t> CompactWriter::finish(uint32_t root_count) {
    std::vector<uint8_t> records;
    records.swap(out_);
    bool with_symbols = !symbols_.ids.empty();
    bytes(reinterpret_cast<const uint8_t*>(kXelbinMagic), sizeof kXelbinMagic);
    byte(kXelbinVersion);
    byte(kXelbinCompact | (with_symbols ? kXelbinSymbols : 0));
    varint(root_count);
    varint(static_cast<uint32_t>(records.size()));
    if (with_symbols) {
        varint(static_cast<uint32_t>(symbols_.ids.size()));
        varint(static_cast<uint32_t>(symbols_.names.size()));
        for (uint32_t offset : symbols_.offsets)
            raw32(offset);
        bytes(symbols_.names.data(), symbols_.names.size());
    }
    bytes(records.data(), records.size());
    return std::move(out_);
}

} // namespace xel
