// The record builders the compact and the word readers share: what a record
// makes once its numbers are read, and the checks on them.
#include <cstring>

#include "boot/xelbin/xelbin-reader.h"
#include "boot/xelbin/xelbin.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/date/date-cell.h"
#include "runtime/datatypes/error/error-catalog.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/hash/hash.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/datatypes/money/money-cell.h"
#include "runtime/datatypes/native/native.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/memory/series-memory.h"
#include "runtime/natives/natives.h"
#include "runtime/stack/stack.h"

namespace xel {

void xelbin_symbol_table(XelbinReader& r, uint32_t count, uint32_t names, const uint8_t* at) {
    r.count(count, 4, at);
    r.symbol_offsets = r.take(4 * static_cast<size_t>(count));
    r.names = r.take(names);
    if (names == 0 ? count != 0 : r.names[names - 1] != 0) r.invalid(at);
    r.symbol_count = count;
    r.names_size = names;
    r.symbol_ids.assign(count, 0);
}

void xelbin_records_end(XelbinReader& r, uint32_t records, const uint8_t* at) {
    if (records > r.left()) r.invalid(at);
    r.end = r.pos + records;
}

Cell xelbin_datatype(XelbinReader& r, uint32_t id, const uint8_t* at) {
    if (id < 1 || id > static_cast<uint32_t>(g_highest_type) || !g_type_names[id].name)
        r.invalid(at);
    return datatype_cell(static_cast<uint8_t>(id));
}

Cell xelbin_char(XelbinReader& r, uint32_t code_point, const uint8_t* at) {
    if (code_point > 0x10FFFF) r.invalid(at);
    Cell v;
    char_set(&v, code_point);
    return v;
}

Cell xelbin_money(XelbinReader& r, bool negative, const uint8_t* at) {
    const uint8_t* bytes = r.take(12);
    if (bytes[0] && !money_currency_symbol(bytes[0])) r.invalid(at);
    for (int k = 1; k < 12; k++)
        if ((bytes[k] >> 4) > 9 || (bytes[k] & 15) > 9) r.invalid(at);
    Cell v;
    money_make_at(&v, negative, bytes[0], bytes + 1);
    return v;
}

Cell xelbin_date(XelbinReader& r, uint32_t packed, double time, const uint8_t* at) {
    if (date_month(packed) < 1 || date_month(packed) > 12 || date_day(packed) < 1) r.invalid(at);
    Cell v;
    date_make_at(&v, packed, date_has_time(packed) ? time : 0);
    return v;
}

void xelbin_check_code_points(XelbinReader& r, const uint8_t* units, uint32_t n,
                              const uint8_t* at) {
    for (uint32_t k = 0; k < n; k++) {
        uint32_t cp;
        std::memcpy(&cp, units + 4 * k, 4);
        if (cp > 0x10FFFF) r.invalid(at);
    }
}

Cell xelbin_retyped(Cell v, uint8_t type, uint32_t head) {
    uint8_t t = type_of(&v);
    if (t != T_BITSET && t != T_MAP) series_set_index(&v, static_cast<int32_t>(head));
    if (is_block_kind(type) && type != T_HASH) {
        series_set_cell(&v, type, series_node(&v), series_index(&v));
        return v;
    }
    v.header = type;
    return v;
}

Cell xelbin_shared(XelbinReader& r, Cell v, uint8_t type, const uint8_t* at) {
    if (is_any_word_type(type_of(&v)) && word_context(&v)) v = *context_self(word_context(&v));
    if (type == T_FUNCTION) op_unwrap_function(&v);
    if (type_of(&v) != type) r.invalid(at);
    return v;
}

Cell xelbin_block_open(uint8_t type, uint32_t head, uint32_t n, bool library, const Cell& block,
                       uint32_t i) {
    Cell v;
    block_make_at(&v, static_cast<int>(n));
    if (library) series_or_flags(series_node(&v), kFlagLibrary);
    v.header = type == T_HASH ? uint32_t{T_BLOCK} : type;
    series_set_index(&v, static_cast<int32_t>(head));
    *XelbinReader::cell(block, i) = v;
    return v;
}

void xelbin_block_close(uint8_t type, Cell* v, const Cell& block, uint32_t i) {
    if (type != T_HASH) return;
    hash_index_block(v);
    *XelbinReader::cell(block, i) = *v;
}

Cell* xelbin_map_open(Cell* pairs, Cell* map, uint32_t n, const Cell& block, uint32_t i) {
    block_make_at(pairs, static_cast<int>(n));
    Cell* held = stack_push(pairs);
    map_make_new(map, n / 2);
    *XelbinReader::cell(block, i) = *map;
    return held;
}

void xelbin_map_close(Cell* map, const Cell& pairs, uint32_t n, Cell* held) {
    for (uint32_t k = 0; k < n; k += 2) {
        Cell key = *block_cell_at(&pairs, k), item = *block_cell_at(&pairs, k + 1);
        map_store(map, &key, &item, kMapCase);
    }
    g_stack_top = held;
}

Offset xelbin_context_open(XelbinReader& r, uint32_t kind, bool stack, uint32_t n,
                           const Cell& block, uint32_t i, const uint8_t* at) {
    if (kind > kContextObject) r.invalid(at);
    Offset ctx = context_make(n, kind, 0, stack, false);
    Cell holder;
    object_over_context(&holder, ctx);
    object_set_class_id(&holder, 0xFFFFFFFFu);
    *XelbinReader::cell(block, i) = holder;
    *context_self(ctx) = holder;
    return ctx;
}

void xelbin_context_word(XelbinReader& r, Offset ctx, uint32_t symbol, bool stack,
                         const uint8_t* at) {
    if (context_find_word(ctx, symbol, true) >= 0) r.invalid(at);
    int32_t index;
    context_find_or_add(ctx, symbol, &index);
    if (!stack) set_unset(series_alloc_tail_cell(buffer_of(context_values_node(ctx))));
}

Cell xelbin_context_values(Offset ctx) {
    Cell values{};
    block_set_cell(&values, T_BLOCK, context_values_node(ctx), 0);
    SeriesBuf* vb = series_buffer(&values);
    vb->tail = vb->head;
    return values;
}

Cell xelbin_function_open(Offset ctx, uint32_t spec_cells, const Cell& block, uint32_t i) {
    Cell record;
    block_make_at(&record, kFunctionRecordCells);
    for (uint32_t k = 0; k < kFunctionRecordCells; k++)
        block_append_copy(&record, &g_unset_cell);
    Cell spec;
    block_make_at(&spec, static_cast<int>(spec_cells));
    Cell fn = function_cell(ctx, series_node(&spec), series_node(&record));
    *context_self(ctx) = fn;
    *XelbinReader::cell(block, i) = fn;
    return fn;
}

void xelbin_function_close(Cell fn, const Cell& spec, Cell body, const Cell& block, uint32_t i) {
    function_set_spec_node(&fn, series_node(&spec));
    series_set_index(&body, 0);
    function_record(&fn)[kRecordBody] = body;
    Cell spec_copy = spec;
    fn.header |= function_validate_spec(&spec_copy) & ~0xFFu;
    *context_self(function_context(&fn)) = fn;
    *XelbinReader::cell(block, i) = fn;
}

void xelbin_check_native(XelbinReader& r, uint8_t type, uint32_t index, const uint8_t* at) {
    bool known = type == T_NATIVE ? native_code(index) != nullptr
                                  : index >= 1 && index <= static_cast<uint32_t>(kActionCount);
    if (!known) r.invalid(at);
}

Cell xelbin_native(XelbinReader& r, uint8_t type, uint32_t index, const Cell& spec,
                   const uint8_t* at) {
    if (type_of(&spec) != T_BLOCK) r.invalid(at);
    Cell* held = stack_push(&spec);
    Cell v = native_value(type, index, &spec);
    g_stack_top = held;
    return v;
}

void xelbin_op_close(const Cell& block, uint32_t i, uint8_t source) {
    Cell* c = XelbinReader::cell(block, i);
    Cell src = *c;
    if (source == T_FUNCTION) function_record(&src)[kRecordOpSource] = src;
    c->header = T_OP | static_cast<uint32_t>(source) << 16;
}

Cell xelbin_error_open(XelbinReader& r, uint32_t code, const Cell& block, uint32_t i,
                       const uint8_t* at) {
    int category = static_cast<int>(code / 100), id = static_cast<int>(code % 100 + 2);
    if (category >= kErrorCategoryCount || id - 2 >= kErrorCatalog[category].count) r.invalid(at);
    Cell e;
    error_create_at(&e, category, id, nullptr, nullptr, nullptr);
    *XelbinReader::cell(block, i) = e;
    return e;
}

Offset xelbin_owner_context(XelbinReader& r, const Cell& owner, const uint8_t* at) {
    if (type_of(&owner) != T_OBJECT && type_of(&owner) != T_FUNCTION) r.invalid(at);
    return type_of(&owner) == T_OBJECT ? object_context(&owner) : function_context(&owner);
}

void xelbin_bind_word(XelbinReader& r, const Cell& block, uint32_t i, uint8_t type, Offset ctx,
                      uint32_t symbol, int32_t slot, const uint8_t* at) {
    if (slot < 0) slot = context_find_word(ctx, symbol, true);
    if (slot < 0 || static_cast<uint32_t>(slot) >= context_word_count(ctx)) r.invalid(at);
    word_set_cell(XelbinReader::cell(block, i), type, ctx, symbol, slot);
}

} // namespace xel
