// Action dispatch: how a call finds the implementation of an action for the
// type of its first argument, the actions table of stack-level entries, the
// typed entries that C++ code calls with cells of its own, and comparison.
//
// Calling an action from C++:
// - With cells in hand, call the typed entry: actions_mold_typed(value, buf,
//   false, false, false, nullptr, limit, 0), actions_copy_typed(series,
//   nullptr, false, nullptr), ... They dispatch on the first argument's type
//   and raise script expect-arg when that type lacks the action.
// - With arguments pushed in a frame, call the stack-level entry from
//   g_actions_table (the interpreter does this).
// - actions_compare(v1, v2, op) answers a plain bool for the comparison codes
//   0-6 and 9-12; the three-way order used by sorting is
//   element_compare_values (runtime/datatypes/block/element-actions.h).
#pragma once
#include <cstdint>

#include "runtime/actions/action-slots.h"
#include "runtime/actions/compare-ops.h"
#include "runtime/cell.h"
#include "runtime/natives/native-call.h"

namespace xel {

// Stack-level entries, slot s at index s - 1; slot 8 (set-path) is empty.
extern NativeFn g_actions_table[kActionCount];

// Fills the actions table; runs after every datatype has registered its row.
void actions_init();
// Copies count stack-level entries into the table from slot 1 on.
void actions_register(uint32_t count, const NativeFn* entries);

// The implementation of slot for a type, raising script expect-arg (the
// called action, the value's datatype, the first argument's word) when the
// type lacks it. value may be nullptr when only the type is known.
ActionEntry actions_get_action_ptr_from(uint8_t type, const Cell* value, int slot);
// ... for the current frame's first argument.
ActionEntry actions_get_action_ptr(int slot);
// ... for a given value.
ActionEntry actions_get_action_ptr_of(const Cell* value, int slot);
// The eval-path implementation of a type: script bad-path-type (with a path)
// or bad-path-type2 (without) when the type has none.
ActionEntry actions_get_action_ptr_path(uint8_t type, Cell* path, Cell* element, int position);

// Typed entries: same arguments as the slot's implementation (action-slots.h).
// make and to dispatch on the type that proto names (a datatype!) or has.
Cell* actions_make_typed(Cell* proto, Cell* spec);
Cell* actions_to_typed(Cell* proto, Cell* spec);
Cell* actions_random_typed(Cell* value, bool seed, bool secure, bool only);
Cell* actions_reflect_typed(Cell* value, Cell* field);
int actions_form_typed(Cell* value, Cell* buffer, Cell* arg, int part);
int actions_mold_typed(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg,
                       int part, int indent);
Cell* actions_eval_path_typed(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                              Cell* p_item, int index, bool case_, bool get, bool tail,
                              bool notify);
Cell* actions_negate_typed(Cell* value);
Cell* actions_round_typed(Cell* value, Cell* scale, bool even, bool down, bool half_down,
                          bool floor, bool ceiling, bool half_ceiling);
bool actions_even_typed(Cell* value);
bool actions_odd_typed(Cell* value);
Cell* actions_complement_typed(Cell* value);
Cell* actions_append_typed(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* actions_change_typed(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
Cell* actions_clear_typed(Cell* series);
Cell* actions_copy_typed(Cell* value, Cell* part, bool deep, Cell* types);
Cell* actions_find_typed(Cell* series, Cell* value, const FindOptions& o);
Cell* actions_insert_typed(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);
int actions_length_typed(Cell* value);
Cell* actions_move_typed(Cell* origin, Cell* target, Cell* part);
Cell* actions_pick_typed(Cell* series, int index, Cell* boxed);
Cell* actions_poke_typed(Cell* series, int index, Cell* data, Cell* boxed);
Cell* actions_put_typed(Cell* series, Cell* key, Cell* value, bool case_);
Cell* actions_remove_typed(Cell* series, Cell* part, Cell* key);
Cell* actions_reverse_typed(Cell* series, Cell* part, Cell* skip);
Cell* actions_select_typed(Cell* series, Cell* value, const FindOptions& o);
Cell* actions_sort_typed(Cell* series, const SortOptions& o);
Cell* actions_swap_typed(Cell* series1, Cell* series2);
Cell* actions_take_typed(Cell* series, Cell* part, bool deep, bool last);
Cell* actions_trim_typed(Cell* series, const TrimOptions& o);
Cell* actions_create_typed(Cell* port);
Cell* actions_close_typed(Cell* port);
Cell* actions_delete_typed(Cell* file);
Cell* actions_modify_typed(Cell* target, Cell* field, Cell* value, bool case_);
Cell* actions_open_typed(Cell* spec, bool new_, bool read, bool write, bool seek, bool allow,
                         Cell* access);
Cell* actions_open_q_typed(Cell* port);
Cell* actions_query_typed(Cell* target);
Cell* actions_read_typed(Cell* source, Cell* part, Cell* seek, bool binary, bool lines, bool info,
                         Cell* as);
Cell* actions_rename_typed(Cell* from, Cell* to);
Cell* actions_update_typed(Cell* port);
Cell* actions_write_typed(Cell* destination, Cell* data, bool binary, bool lines, bool info,
                          bool append, Cell* part, Cell* seek, Cell* allow, Cell* as);

// The comparison of value1 with value2 under op, as a plain bool. An ordering
// op between values that cannot be compared raises script invalid-compare;
// under an equality op they read as not equal.
bool actions_compare(Cell* value1, Cell* value2, int op);
// Compares the current frame's first two arguments; stores the logic! result.
void actions_compare_to_logic(int op);
// Three-way order for sorting: -1, 0 or 1 (or the type's own answer).

// pick/poke index argument: integer! and char! their value, true 1, false 2, else 0.
int actions_get_index_argument(const Cell* value);

} // namespace xel
