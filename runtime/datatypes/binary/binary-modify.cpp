// append, insert, change and trim on binaries. The value's bytes are made
// apart first, so a binary written into itself reads its old bytes.
#include <cstring>

#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/binary/binary.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

enum class Write : uint8_t { Append, Insert, Change };

[[noreturn]] void no_memory() {
    error_fire(kCatInternal, err::internal::kNoMemory);
}

Cell* result_at(const Cell* series, uint32_t index) {
    Cell* result = stack_arguments();
    *result = *series;
    cell_clear_new_line(result);
    result->data1 = index;
    return result;
}

Change change_word(Write how) {
    switch (how) {
    case Write::Append:
        return Change::Append;
    case Write::Insert:
        return Change::Insert;
    default:
        return Change::Change;
    }
}

// Room for new_len bytes: a buffer too small grows once, to twice its size
// or to the need when that is more.
SeriesBuf* make_room(Offset node, uint64_t new_len) {
    SeriesBuf* buf = buffer_of(node);
    if (new_len > INT32_MAX) no_memory();
    if (buf->head + new_len > buf->data_end()) {
        uint64_t grown = uint64_t{buf->size} * 2;
        buf = expand_series_copy(buf, static_cast<int64_t>(new_len < grown ? grown : new_len));
    }
    return buf;
}

Cell* write_value(Write how, Cell* series, Cell* value, Cell* part, Cell* dup) {
    Cell s = *series;
    Cell v = *value;
    int64_t copies = dup ? static_cast<int32_t>(dup->data2) : 1;
    uint32_t index = binary_clamped_index(&s);
    if (copies < 1) return result_at(&s, how == Write::Append ? 0 : index);

    int64_t limit = -1;
    if (part && how != Write::Change) {
        int32_t n = series_part_count(&v, part);
        limit = n < 0 ? 0 : n;
    }
    std::vector<uint8_t> bytes;
    binary_bytes_of(&v, bytes, limit);
    int64_t total = static_cast<int64_t>(bytes.size()) * copies;
    if (total > INT32_MAX) no_memory();
    int64_t replaced = 0;
    if (how == Write::Change) {
        replaced = part ? series_part_count(&s, part) : total;
        if (replaced < 0) replaced = 0;
    }
    uint32_t len = buffer_of(s.data2)->used();
    uint32_t at_index = how == Write::Append ? len : index;
    if (total == 0 && replaced == 0) return result_at(&s, how == Write::Append ? 0 : index);

    Change word = change_word(how);
    bool told =
        ownership_notify_before(&s, word, &v, static_cast<int>(at_index), static_cast<int>(total));
    // A change handler may have changed the binary meanwhile.
    len = buffer_of(s.data2)->used();
    if (how == Write::Append || at_index > len) at_index = len;
    if (replaced > len - at_index) replaced = len - at_index;

    uint64_t new_len =
        uint64_t{len} - static_cast<uint64_t>(replaced) + static_cast<uint64_t>(total);
    SeriesBuf* buf = make_room(s.data2, new_len);
    uint8_t* base = at(buf->head);
    uint64_t rest = at_index + static_cast<uint64_t>(replaced);
    std::memmove(base + at_index + total, base + rest, len - rest);
    uint8_t* dest = base + at_index;
    if (!bytes.empty()) {
        std::memcpy(dest, bytes.data(), bytes.size());
        memory_repeat_fill(dest, static_cast<uint32_t>(bytes.size()),
                           static_cast<uint32_t>(copies));
    }
    buf->tail = buf->head + static_cast<uint32_t>(new_len);

    if (told)
        ownership_notify_after(&s, word, &v, static_cast<int>(at_index), static_cast<int>(total));
    if (how == Write::Append) return result_at(&s, 0);
    return result_at(&s, at_index + static_cast<uint32_t>(total));
}

} // namespace

Cell* binary_append(Cell* series, Cell* value, Cell* part, bool, Cell* dup) {
    return write_value(Write::Append, series, value, part, dup);
}

Cell* binary_insert(Cell* series, Cell* value, Cell* part, bool, Cell* dup) {
    return write_value(Write::Insert, series, value, part, dup);
}

Cell* binary_change(Cell* series, Cell* value, Cell* part, bool, Cell* dup) {
    return write_value(Write::Change, series, value, part, dup);
}

Cell* binary_trim(Cell* series, const TrimOptions& o) {
    Cell s = *series;
    uint32_t index = binary_clamped_index(&s);
    bool told = ownership_notify_before(&s, Change::Trim, nullptr, static_cast<int>(index),
                                        static_cast<int>(binary_xs_length(&s)));
    // A change handler may have shortened the binary.
    index = binary_clamped_index(&s);
    SeriesBuf* buf = buffer_of(s.data2);
    uint8_t* base = at(buf->head);
    uint32_t from = index;
    uint32_t end = buf->used();
    bool both = o.head == o.tail;
    if (o.head || both)
        while (from < end && base[from] == 0)
            from++;
    if (o.tail || both)
        while (end > from && base[end - 1] == 0)
            end--;
    std::memmove(base + index, base + from, end - from);
    buf->tail = buf->head + index + (end - from);
    if (told) ownership_notify_after(&s, Change::Trim, nullptr, static_cast<int>(index), 0);
    Cell* result = stack_arguments();
    *result = s;
    return result;
}

} // namespace xel
