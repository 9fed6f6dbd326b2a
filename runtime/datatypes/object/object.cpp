#include "runtime/datatypes/object/object.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/ownership/ownership.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

uint32_t g_class_counter = kFirstRuntimeClassId;

} // namespace

void object_init() {
    g_class_counter = kFirstRuntimeClassId;
    g_object_fire_on_change = object_fire_on_change;
    g_object_fire_on_deep_change = object_fire_on_deep_change;
}

uint32_t object_new_class_id() {
    return ++g_class_counter;
}

void object_make_at(Cell* cell, uint32_t capacity) {
    Offset ctx = context_make(capacity, kContextObject, 0, false, false);
    *cell = Cell{T_OBJECT, ctx, 0, 0};
    *context_self(ctx) = *cell;
}

Cell* object_select_word(const Cell* object, const Cell* word) {
    int32_t i = context_find_word(object_context(object), word_symbol(word), true);
    if (i < 0) return &g_none_cell;
    return context_value_at(object_context(object), static_cast<uint32_t>(i));
}

void object_clear_changed(Offset ctx) {
    uint32_t n = context_word_count(ctx);
    for (uint32_t i = 0; i < n; i++)
        context_word_at(ctx, i)->header &= ~kWordChanged;
}

void object_clear_value_marks(Offset node) {
    SeriesBuf* buf = buffer_of(node);
    for (Offset p = buf->head; p < buf->tail; p += sizeof(Cell))
        cell_clear_new_line(at<Cell>(p));
}

} // namespace xel
