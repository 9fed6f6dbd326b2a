// append, insert and change on vectors: the new items are one value or the
// values of a block, each of the vector's item type, written at its width.
#include <cstring>
#include <vector>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/vector/vector.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

bool is_item_list(uint8_t t) {
    return t == T_BLOCK || t == T_PAREN || t == T_HASH;
}

// The values of a block kind from its position, or the value itself.
std::vector<Cell> values_of(const Cell* value, bool paths) {
    uint8_t t = type_of(value);
    if (!is_item_list(t) && !(paths && t >= T_PATH && t <= T_GET_PATH)) return {*value};
    Cell blk = *value;
    auto n = static_cast<uint32_t>(block_length_at(&blk));
    const Cell* first = n ? block_rs_head(&blk) : nullptr;
    return std::vector<Cell>(first, first + n);
}

// The items of another vector from its position, as values.
std::vector<Cell> items_of(const Cell* vector) {
    Cell v = *vector;
    std::vector<Cell> items;
    uint32_t from = series_clamped_index(&v);
    for (uint32_t i = from; i < series_buffer_length(&v); i++)
        items.push_back(vector_get(&v, i));
    return items;
}

void check_items(const std::vector<Cell>& items, uint8_t type) {
    for (const Cell& item : items)
        if (type_of(&item) != type) error_fire(kCatScript, err::script::kInvalidArg, &item);
}

// items x copies x unit bytes, at most a signed 32-bit number.
uint32_t checked_items(size_t items, int64_t copies, uint32_t unit) {
    int64_t total = static_cast<int64_t>(items) * copies;
    if (total > INT32_MAX || total * unit > INT32_MAX)
        error_fire(kCatInternal, err::internal::kNoMemory);
    return static_cast<uint32_t>(total);
}

// Room for n more items: the buffer grows to at least twice its size.
SeriesBuf* make_room(const Cell* vec, uint32_t n) {
    SeriesBuf* buf = series_buffer(vec);
    uint64_t need = uint64_t{buf->used()} + uint64_t{n} * buf->unit();
    if (buf->head + need > buf->data_end()) {
        uint64_t size = uint64_t{buf->size} * 2;
        buf = expand_series_copy(buf, static_cast<int64_t>(size > need ? size : need));
    }
    return buf;
}

// Writes the items from item index at, repeated to fill total items.
void write_items(const Cell* vec, uint32_t at_index, const std::vector<Cell>& items,
                 uint32_t total) {
    uint32_t unit = series_unit(vec);
    for (uint32_t k = 0; k < total; k++)
        vector_set_item(vector_item_at(vec, at_index + k), &items[k % items.size()], unit);
}

// Moves the items from index from to index to, up to the tail.
void shift_tail(const Cell* vec, uint32_t from, uint32_t to) {
    SeriesBuf* buf = series_buffer(vec);
    uint32_t shift = unit_shift(buf->unit());
    uint8_t* src = at(buf->head) + (from << shift);
    uint8_t* tail = at(buf->tail);
    if (src < tail) std::memmove(at(buf->head) + (to << shift), src, tail - src);
}

Cell* result_at(const Cell* vec, uint32_t index) {
    Cell* result = stack_arguments();
    *result = *vec;
    cell_clear_new_line(result);
    result->data1 = index;
    return result;
}

Cell* insert_items(Cell* series, Cell* value, Cell* part, Cell* dup, bool append) {
    Cell vec = *series;
    Cell v = *value;
    std::vector<Cell> items = values_of(&v, false);
    if (part && is_item_list(type_of(&v))) {
        auto n = static_cast<int32_t>(part->data2);
        if (n >= 1 && static_cast<size_t>(n) < items.size()) items.resize(static_cast<size_t>(n));
    }
    int64_t copies = dup ? static_cast<int32_t>(dup->data2) : 1;
    uint32_t index = append ? series_buffer_length(&vec) : series_clamped_index(&vec);
    if (items.empty() || copies < 1) return result_at(&vec, append ? 0 : index);
    check_items(items, vector_item_type(&vec));
    uint32_t unit = series_unit(&vec);
    uint32_t total = checked_items(items.size(), copies, unit);

    Change change = append ? Change::Append : Change::Insert;
    bool told =
        ownership_notify_before(&vec, change, &v, static_cast<int>(index), static_cast<int>(total));
    uint32_t len = series_buffer_length(&vec);
    if (append || index > len) index = len;
    make_room(&vec, total);
    shift_tail(&vec, index, index + total);
    write_items(&vec, index, items, total);
    series_buffer(&vec)->tail += total * unit;
    if (told)
        ownership_notify_after(&vec, change, &v, static_cast<int>(index), static_cast<int>(total));
    return result_at(&vec, append ? 0 : index + total);
}

} // namespace

Cell* vector_append(Cell* series, Cell* value, Cell* part, bool, Cell* dup) {
    return insert_items(series, value, part, dup, true);
}

Cell* vector_insert(Cell* series, Cell* value, Cell* part, bool, Cell* dup) {
    return insert_items(series, value, part, dup, false);
}

Cell* vector_change(Cell* series, Cell* value, Cell* part, bool, Cell* dup) {
    Cell vec = *series;
    Cell v = *value;
    uint8_t type = vector_item_type(&vec);
    std::vector<Cell> items;
    if (type_of(&v) == T_VECTOR) {
        if (vector_item_type(&v) != type) error_fire(kCatScript, err::script::kNotSameType);
        items = items_of(&v);
    } else {
        items = values_of(&v, true);
        check_items(items, type);
    }
    int64_t copies = dup ? static_cast<int32_t>(dup->data2) : 1;
    uint32_t index = series_clamped_index(&vec);
    if (copies < 1) copies = 0;
    uint32_t unit = series_unit(&vec);
    uint32_t total = items.empty() ? 0 : checked_items(items.size(), copies, unit);
    int64_t replaced = total;
    if (part) {
        replaced = series_part_count(&vec, part);
        if (replaced < 0) replaced = 0;
    }

    bool told = ownership_notify_before(&vec, Change::Change, &v, static_cast<int>(index),
                                        static_cast<int>(total));
    uint32_t len = series_buffer_length(&vec);
    if (index > len) index = len;
    if (replaced > len - index) replaced = len - index;
    auto cut = static_cast<uint32_t>(replaced);
    if (total > cut) make_room(&vec, total - cut);
    if (total != cut) shift_tail(&vec, index + cut, index + total);
    if (total) write_items(&vec, index, items, total);
    SeriesBuf* buf = series_buffer(&vec);
    buf->tail = buf->tail + total * unit - cut * unit;
    if (told)
        ownership_notify_after(&vec, Change::Change, &v, static_cast<int>(index),
                               static_cast<int>(total));
    return result_at(&vec, index + total);
}

} // namespace xel
