// object!: a context of kind object wrapped in a value that also carries a
// class id and, when the object has change handlers, an event record.
//   header: type id 32 (error! and port! keep their own id in copies);
//   word 1: node of the object's context;
//   word 2: class id, shared by objects of the same shape;
//   word 3: node of the event record, or 0 without on-change* and on-deep-change*.
// The context's self cell always holds a copy of the object value.
//
// The event record is a block of two cells, one for on-change* and one for
// on-deep-change*, typed pair! but never shown to the language: word 2 holds
// the handler word's index in the high 16 bits (-1: no such word) and the
// handler's local slot count in the low 16; word 3 the node of the spec block
// the count was taken from, so a replaced handler is recounted when it fires.
//
// Buffers move on allocation: Cell* results are valid until the next call
// that may allocate.
#pragma once
#include <cstdint>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"

namespace xel {

// Class ids handed out at run time start above this.
constexpr uint32_t kFirstRuntimeClassId = 1000000;
// Event record word 2 at or above this: no handler.
constexpr uint32_t kNoHandler = 0xFFFF0000;

enum EventSlot : uint32_t {
    kEventOnChange = 0,
    kEventOnDeepChange = 1,
};

inline Offset object_context(const Cell* object) {
    return object->data1;
}
inline uint32_t object_class_id(const Cell* object) {
    return object->data2;
}
inline void object_set_class_id(Cell* object, uint32_t id) {
    object->data2 = id;
}
inline Offset object_events(const Cell* object) {
    return object->data3;
}
// The context index of the object's handler of the slot's event, or -1 (the
// object has an event record).
int32_t object_event_handler(const Cell* object, EventSlot slot);
// object!, error! and port!.
inline bool is_object_kind(uint8_t type) {
    return type == T_OBJECT || type == T_ERROR || type == T_PORT;
}

// Resets the class counter and installs the change-event callbacks of
// contexts and ownership (run-time init).
void object_init();

uint32_t object_new_class_id();
// The cell becomes a new empty object: a fresh object context with room for
// n words, class id 0, no event record; its self cell is set.
void object_make_at(Cell* cell, uint32_t capacity);
// The cell becomes an object over an existing context (class id 0, no event
// record), its self cell left as it is.
inline void object_over_context(Cell* cell, Offset ctx) {
    *cell = Cell{T_OBJECT, ctx, 0, 0};
}

// The value cell of a word (any case variant) in the object, or the shared
// none! cell.
Cell* object_select_word(const Cell* object, const Cell* word);
void object_clear_changed(Offset ctx);
// Clears the new-line marker of every cell of a series buffer.
void object_clear_value_marks(Offset node);

// Events. The record for the handler words found in the context, or 0; a
// handler word holding neither function! nor routine! raises script
// bad-field-set.
Offset object_build_event_record(Offset ctx);
// Builds the record into the object cell, makes the object owner of its
// series when it has on-deep-change*, and refreshes the self cell.
void object_attach_events(Cell* object);
// Calls on-change* with the word, the old and the new value (nothing when the
// object has no such handler).
void object_fire_on_change(Cell* object, Cell* word, Cell* old_value, Cell* new_value);
// Calls on-deep-change* with the owner, its field word, the changed series,
// the action word, the new value (null: none!), the index and the part.
void object_fire_on_deep_change(Cell* owner, Cell* word, Cell* target, Cell* action,
                                Cell* new_value, int index, int part);

// Making and copying.
// Gives the object cell a new context holding the same words and values
// (class id, type id and event record kept; the self cell set), re-makes its
// functions for it and copies its series values: with deep and no types the
// strings, blocks, parens and paths (deeply); with types the values of those
// types (deeply with deep). A /deep /types copy of an object already being
// copied raises internal no-cycle.
void object_copy_into(Cell* object, bool deep, const Cell* types);
// Replaces the function! value i of the object's context by one re-made for
// it: a copied function context, the body deep-copied and bound to the object
// (with self), then to that context. A function without body raises script
// bad-func-def.
void object_remake_function(Offset object_ctx, uint32_t i);
// Replaces every series value of the context by a deep copy and re-makes
// every function for it.
void object_make_independent(Offset ctx);
// Copies the series values of source into the same slots of target (deep),
// binding copied blocks to target; with copy_all every other value too.
void object_copy_values(Offset source, Offset target, bool copy_all);
// The construct native's body: a new object (or a copy of proto) whose words
// take the spec's values unevaluated. The result is the frame's result slot.
Cell* object_construct(Cell* spec, Cell* proto, bool only);
// The object side of `set obj value`: from a block (positionally) or an
// object (by name), or one value for every word with only.
void object_set_from(Cell* object, Cell* value, bool any, bool only, bool some);

// Appends the words and values of the object (mold, form, error! and port!
// mold): each pair indented to the level and followed by a line feed when
// indented, else pairs separated by a line feed (a blank with flat). The
// handlers are left out unless all. Returns the part limit left.
int object_mold_body(Cell* object, Cell* buffer, bool all, bool flat, Cell* arg, int part,
                     bool indented, int indent);
// The mold of an object kind: head (as "make object! [") unless only, the
// body one level deeper, and "]" unless only.
int object_mold_as(const char* head, Cell* value, Cell* buffer, bool only, bool all, bool flat,
                   Cell* arg, int part, int indent);
// A new block! of the object's body: set-words and values (reflect 'body).
Cell object_body_block(const Cell* object);

// Actions.
Cell* object_make(Cell* proto, Cell* spec, int type);
Cell* object_reflect(Cell* value, Cell* field);
int object_form(Cell* value, Cell* buffer, Cell* arg, int part);
int object_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                int indent);
Cell* object_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                       Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);
int object_compare(Cell* value1, Cell* value2, int op);
Cell* object_copy(Cell* value, Cell* part, bool deep, Cell* types);
Cell* object_select(Cell* series, Cell* value, const FindOptions& o);
Cell* object_put(Cell* series, Cell* key, Cell* value, bool case_);
Cell* object_modify(Cell* target, Cell* field, Cell* value, bool case_);

} // namespace xel
