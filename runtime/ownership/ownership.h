// Ownership for change events. An object whose field holds a series is told,
// through its on-deep-change* handler, when that series changes in place.
// Rather than a back-pointer in every series, one table keyed by series node
// (an object's context node for an object!) records the owned value, the
// owning object and the owner's field word. Ownership is set and removed
// deeply: the series inside an owned block are owned by the same owner and
// field.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// The table (a pointer-keyed hash table of three value cells per entry).
extern Offset g_ownership_table;
constexpr uint32_t kOwnershipTableSize = 1000;

// On an image! cell's header: the image is owned (images keep the flag on
// the cell, other series on their buffer).
constexpr uint32_t kImageOwned = 0x10000;
// On an object's context cell: the object owns its series; such an object is
// skipped when ownership is set or removed through a containing value.
constexpr uint32_t kContextOwnsSeries = 0x10000;

// Calls the owner's on-deep-change* with the owner, its field word, the
// changed series, the action word, the new value (null: none!), the index and
// the part. Installed by object!.
extern void (*g_object_fire_on_deep_change)(Cell* owner, Cell* word, Cell* target, Cell* action,
                                            Cell* new_value, int index, int part);

void ownership_init();
// The collector's root of the table: its own series, not what its entries
// name. After marking, the sweep drops the entries whose series or owner
// died and marks what the others hold.
void ownership_mark_table();
void ownership_sweep();

// Makes owner (an object!) the owner of the value's series under word,
// deeply. An existing entry keeps its first owner and word.
void ownership_set_owner(Cell* value, const Cell* owner, const Cell* word);
// The same, then marks the owner's context as owning its series.
void ownership_set_owner_flagged(Cell* value, const Cell* owner, const Cell* word);
// Removes the ownership of the value's series, deeply.
void ownership_unbind(Cell* value);
// ownership_unbind for count cells of the block from the index.
void ownership_unbind_range(const Cell* block, int32_t index, int32_t count);
// The owner cell of the series' entry, or null (valid until the next allocation).
Cell* ownership_find_owner(Offset node);

// When the value's series is owned by an object with change handlers, fires
// its on-deep-change* with the action word and returns true.
bool ownership_check(const Cell* value, const Cell* action, const Cell* new_value, int index,
                     int part);

// The modifying series actions and their change-event words: every action is
// reported before the change with its own word and after it with its past
// form; uppercase and lowercase are reported after the change only.
enum class Change : uint8_t {
    Append,
    Insert,
    Change,
    Clear,
    Move,
    Poke,
    Put,
    Remove,
    Random,
    Reverse,
    Sort,
    Swap,
    Take,
    Trim,
    Uppercase,
    Lowercase,
};

// The word reported before the change (null for uppercase and lowercase) and after it.
const Cell* ownership_word_before(Change action);
const Cell* ownership_word_after(Change action);

// ownership_check with the action's before or after word; nothing is
// reported before uppercase and lowercase.
bool ownership_notify_before(const Cell* value, Change action, const Cell* new_value, int index,
                             int part);
bool ownership_notify_after(const Cell* value, Change action, const Cell* new_value, int index,
                            int part);

} // namespace xel
