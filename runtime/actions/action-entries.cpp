// The stack-level entries of the 62 actions: each reads its arguments from
// the current frame and its refinement positions from refs, in the order of
// its typed signature (action-slots.h), and leaves its result in the frame's
// result slot.
#include <climits>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/port/port.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-append-room.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/error-fire.h"
#include "runtime/symbols/symbols.h"

namespace xel {

NativeFn g_actions_table[kActionCount];

namespace {

// A port takes the action to its actor; every other value to its type.
template <int Slot, NativeFn Entry> uint32_t port_aware(int check, const int32_t* refs) {
    if (type_of(call_arg(0)) == T_PORT) [[unlikely]]
        return port_forward(Slot, refs);
    return Entry(check, refs);
}

template <int Slot> uint32_t direct(int, const int32_t*) {
    reinterpret_cast<DirectFn>(actions_get_action_ptr(Slot))();
    return 0;
}

template <int Slot> uint32_t unary(int, const int32_t*) {
    reinterpret_cast<UnaryFn>(actions_get_action_ptr(Slot))(call_arg(0));
    return 0;
}

uint32_t act_make(int, const int32_t*) {
    actions_make_typed(call_arg(0), call_arg(1));
    return 0;
}

uint32_t act_random(int, const int32_t* refs) {
    actions_random_typed(call_arg(0), ref_present(refs[0]), ref_present(refs[1]),
                         ref_present(refs[2]));
    return 0;
}

uint32_t act_reflect(int, const int32_t*) {
    actions_reflect_typed(call_arg(0), call_arg(1));
    return 0;
}

uint32_t act_to(int, const int32_t*) {
    actions_to_typed(call_arg(0), call_arg(1));
    return 0;
}

// The /part limit of form and mold: limit < 1 leaves an empty string; else
// the frame keeps only the value, a new string is pushed, filled by fill(limit)
// and cut to the limit when one was given.
template <class Fill> void form_into_string(const Cell* part, Fill fill) {
    int limit = part ? integer_get(part) : INT_MAX;
    if (part && limit < 1) {
        string_make_at(stack_arguments(), 0);
        stack_keep();
        return;
    }
    stack_keep();
    Cell* buffer = stack_push_cell();
    string_make_at(buffer, 16);
    fill(buffer, limit);
    buffer = stack_arguments() + 1;
    if (part) string_truncate_at(string_buffer(buffer), static_cast<uint32_t>(limit));
    stack_set_last_keep(buffer);
}

uint32_t act_form(int, const int32_t* refs) {
    Cell* part = ref_arg(refs[0]);
    form_into_string(part, [part](Cell* buffer, int limit) {
        actions_form_typed(stack_arguments(), buffer, part, limit);
    });
    return 0;
}

uint32_t act_mold(int, const int32_t* refs) {
    bool only = ref_present(refs[0]), all = ref_present(refs[1]), flat = ref_present(refs[2]);
    Cell* part = ref_arg(refs[3]);
    form_into_string(part, [=](Cell* buffer, int limit) {
        actions_mold_typed(stack_arguments(), buffer, only, all, flat, part, limit, 0);
    });
    return 0;
}

uint32_t act_eval_path(int, const int32_t* refs) {
    actions_eval_path_typed(call_arg(0), call_arg(1), ref_arg(refs[0]), nullptr, nullptr, nullptr,
                            0, false, false, false, true);
    return 0;
}

uint32_t act_round(int, const int32_t* refs) {
    actions_round_typed(call_arg(0), ref_arg(refs[0]), ref_present(refs[1]), ref_present(refs[2]),
                        ref_present(refs[3]), ref_present(refs[4]), ref_present(refs[5]),
                        ref_present(refs[6]));
    return 0;
}

uint32_t act_even_q(int, const int32_t*) {
    bool r = actions_even_typed(call_arg(0));
    set_logic(stack_arguments(), r);
    return 0;
}

uint32_t act_odd_q(int, const int32_t*) {
    bool r = actions_odd_typed(call_arg(0));
    set_logic(stack_arguments(), r);
    return 0;
}

// append and insert: with /part the value must be a series and the limit a
// count or a position in the value's own series; a position before the
// value's index makes the range run from the limit to the value's index.
// An empty range, or /dup below 1, leaves the target unchanged.
using InsertTyped = Cell* (*)(Cell*, Cell*, Cell*, bool, Cell*);
// Out of line: append's common case stays a leaf without its frame.
[[gnu::noinline]] uint32_t insert_entry(InsertTyped typed, const int32_t* refs) {
    Cell* value = call_arg(1);
    Cell* part = ref_arg(refs[0]);
    Cell* dup = ref_arg(refs[2]);
    Cell count;
    if (part) {
        if (!is_series_kind(type_of(value)))
            error_fire(kCatScript, err::script::kInvalidPart, part);
        int32_t n = series_part_count(value, part);
        if (n < 0 && type_of(part) != T_INTEGER) {
            series_set_index(value, series_index(value) + n);
            n = -n;
        }
        if (n < 1) return 0;
        set_integer(&count, n);
        part = &count;
    }
    if (dup && type_of(dup) == T_INTEGER && integer_get(dup) < 1) return 0;
    typed(call_arg(0), value, part, ref_present(refs[1]), dup);
    return 0;
}

uint32_t act_append(int, const int32_t* refs) {
    return insert_entry(actions_append_typed, refs);
}

// append's entry: the common append (a char or a short text at a string's
// tail with room) goes straight to the string's buffer, before the port test
// (a port is no string) and without the dispatch and the general measuring
// of the incoming text.
uint32_t append_entry(int check, const int32_t* refs) {
    if (refs[0] == kRefAbsent && refs[1] == kRefAbsent && refs[2] == kRefAbsent &&
        string_append_in_room(call_arg(0), call_arg(1)))
        return 0;
    return port_aware<A_APPEND, act_append>(check, refs);
}

uint32_t act_insert(int, const int32_t* refs) {
    return insert_entry(actions_insert_typed, refs);
}

uint32_t act_change(int, const int32_t* refs) {
    Cell* part = ref_arg(refs[0]);
    if (part && type_of(part) != T_INTEGER) series_part_count(call_arg(0), part);
    actions_change_typed(call_arg(0), call_arg(1), part, ref_present(refs[1]), ref_arg(refs[2]));
    return 0;
}

uint32_t act_copy(int, const int32_t* refs) {
    Cell* types = ref_arg(refs[2]);
    if (types && type_of(types) != T_DATATYPE && type_of(types) != T_TYPESET) {
        Cell action = *stack_get_call();
        Cell datatype{T_DATATYPE, type_of(types), 0, 0};
        Cell arg = *word_load("types");
        error_fire(kCatScript, err::script::kExpectArg, &action, &datatype, &arg);
    }
    actions_copy_typed(call_arg(0), ref_arg(refs[0]), ref_present(refs[1]), types);
    return 0;
}

namespace {

// find and select share their refinements, in this order.
FindOptions find_options(const int32_t* refs) {
    FindOptions o;
    o.part = ref_arg(refs[0]);
    o.only = ref_present(refs[1]);
    o.case_ = ref_present(refs[2]);
    o.same = ref_present(refs[3]);
    o.any = ref_present(refs[4]);
    o.with = ref_arg(refs[5]);
    o.skip = ref_arg(refs[6]);
    o.last = ref_present(refs[7]);
    o.reverse = ref_present(refs[8]);
    o.tail = ref_present(refs[9]);
    o.match = ref_present(refs[10]);
    return o;
}

} // namespace

uint32_t act_find(int, const int32_t* refs) {
    actions_find_typed(call_arg(0), call_arg(1), find_options(refs));
    return 0;
}

uint32_t act_select(int, const int32_t* refs) {
    actions_select_typed(call_arg(0), call_arg(1), find_options(refs));
    return 0;
}

uint32_t act_length_q(int, const int32_t*) {
    int n = actions_length_typed(call_arg(0));
    if (n == -1)
        set_none(stack_arguments());
    else
        set_integer(stack_arguments(), n);
    return 0;
}

uint32_t act_move(int, const int32_t* refs) {
    actions_move_typed(call_arg(0), call_arg(1), ref_arg(refs[0]));
    return 0;
}

uint32_t act_pick(int, const int32_t*) {
    actions_pick_typed(call_arg(0), actions_get_index_argument(call_arg(1)), call_arg(1));
    return 0;
}

uint32_t act_poke(int, const int32_t*) {
    Cell value = *call_arg(2);
    actions_poke_typed(call_arg(0), actions_get_index_argument(call_arg(1)), call_arg(2),
                       call_arg(1));
    stack_set_last(&value);
    return 0;
}

uint32_t act_put(int, const int32_t* refs) {
    actions_put_typed(call_arg(0), call_arg(1), call_arg(2), ref_present(refs[0]));
    return 0;
}

uint32_t act_remove(int, const int32_t* refs) {
    actions_remove_typed(call_arg(0), ref_arg(refs[0]), ref_arg(refs[1]));
    return 0;
}

uint32_t act_reverse(int, const int32_t* refs) {
    actions_reverse_typed(call_arg(0), ref_arg(refs[0]), ref_arg(refs[1]));
    return 0;
}

uint32_t act_sort(int, const int32_t* refs) {
    actions_sort_typed(call_arg(0), SortOptions{.case_ = ref_present(refs[0]),
                                                .skip = ref_arg(refs[1]),
                                                .compare = ref_arg(refs[2]),
                                                .part = ref_arg(refs[3]),
                                                .all = ref_present(refs[4]),
                                                .reverse = ref_present(refs[5]),
                                                .stable = ref_present(refs[6])});
    return 0;
}

uint32_t act_swap(int, const int32_t*) {
    actions_swap_typed(call_arg(0), call_arg(1));
    return 0;
}

uint32_t act_take(int, const int32_t* refs) {
    actions_take_typed(call_arg(0), ref_arg(refs[0]), ref_present(refs[1]), ref_present(refs[2]));
    return 0;
}

uint32_t act_trim(int, const int32_t* refs) {
    actions_trim_typed(call_arg(0), TrimOptions{.head = ref_present(refs[0]),
                                                .tail = ref_present(refs[1]),
                                                .auto_ = ref_present(refs[2]),
                                                .lines = ref_present(refs[3]),
                                                .all = ref_present(refs[4]),
                                                .with = ref_arg(refs[5])});
    return 0;
}

uint32_t act_modify(int, const int32_t* refs) {
    actions_modify_typed(call_arg(0), call_arg(1), call_arg(2), ref_present(refs[0]));
    return 0;
}

uint32_t act_open(int, const int32_t* refs) {
    actions_open_typed(call_arg(0), ref_present(refs[0]), ref_present(refs[1]),
                       ref_present(refs[2]), ref_present(refs[3]), ref_present(refs[4]),
                       ref_arg(refs[4]));
    return 0;
}

uint32_t act_read(int, const int32_t* refs) {
    actions_read_typed(call_arg(0), ref_arg(refs[0]), ref_arg(refs[1]), ref_present(refs[2]),
                       ref_present(refs[3]), ref_present(refs[4]), ref_arg(refs[5]));
    return 0;
}

uint32_t act_rename(int, const int32_t*) {
    actions_rename_typed(call_arg(0), call_arg(1));
    return 0;
}

uint32_t act_write(int, const int32_t* refs) {
    actions_write_typed(call_arg(0), call_arg(1), ref_present(refs[0]), ref_present(refs[1]),
                        ref_present(refs[2]), ref_present(refs[3]), ref_arg(refs[4]),
                        ref_arg(refs[5]), ref_arg(refs[6]), ref_arg(refs[7]));
    return 0;
}

// The 62 entries in slot order; set-path (8) has none and compare (9) is
// called as actions_compare, not through the table.
const NativeFn kEntries[kActionCount] = {
    act_make,
    act_random,
    act_reflect,
    act_to,
    act_form,
    act_mold,
    act_eval_path,
    nullptr,
    nullptr,
    direct<A_ABSOLUTE>,
    direct<A_ADD>,
    direct<A_DIVIDE>,
    direct<A_MULTIPLY>,
    unary<A_NEGATE>,
    direct<A_POWER>,
    direct<A_REMAINDER>,
    act_round,
    direct<A_SUBTRACT>,
    act_even_q,
    act_odd_q,
    direct<A_AND_T>,
    unary<A_COMPLEMENT>,
    direct<A_OR_T>,
    direct<A_XOR_T>,
    append_entry,
    port_aware<A_AT, direct<A_AT>>,
    port_aware<A_BACK, direct<A_BACK>>,
    port_aware<A_CHANGE, act_change>,
    port_aware<A_CLEAR, unary<A_CLEAR>>,
    port_aware<A_COPY, act_copy>,
    port_aware<A_FIND, act_find>,
    port_aware<A_HEAD, direct<A_HEAD>>,
    port_aware<A_HEAD_Q, direct<A_HEAD_Q>>,
    port_aware<A_INDEX_Q, direct<A_INDEX_Q>>,
    port_aware<A_INSERT, act_insert>,
    port_aware<A_LENGTH_Q, act_length_q>,
    port_aware<A_MOVE, act_move>,
    port_aware<A_NEXT, direct<A_NEXT>>,
    port_aware<A_PICK, act_pick>,
    port_aware<A_POKE, act_poke>,
    port_aware<A_PUT, act_put>,
    port_aware<A_REMOVE, act_remove>,
    port_aware<A_REVERSE, act_reverse>,
    port_aware<A_SELECT, act_select>,
    port_aware<A_SORT, act_sort>,
    port_aware<A_SKIP, direct<A_SKIP>>,
    port_aware<A_SWAP, act_swap>,
    port_aware<A_TAIL, direct<A_TAIL>>,
    port_aware<A_TAIL_Q, direct<A_TAIL_Q>>,
    port_aware<A_TAKE, act_take>,
    port_aware<A_TRIM, act_trim>,
    port_aware<A_CREATE, unary<A_CREATE>>,
    port_aware<A_CLOSE, unary<A_CLOSE>>,
    port_aware<A_DELETE, unary<A_DELETE>>,
    port_aware<A_MODIFY, act_modify>,
    port_aware<A_OPEN, act_open>,
    unary<A_OPEN_Q>,
    port_aware<A_QUERY, unary<A_QUERY>>,
    port_aware<A_READ, act_read>,
    port_aware<A_RENAME, act_rename>,
    port_aware<A_UPDATE, unary<A_UPDATE>>,
    port_aware<A_WRITE, act_write>,
};

} // namespace

void actions_register(uint32_t count, const NativeFn* entries) {
    for (uint32_t i = 0; i < count; i++)
        g_actions_table[i] = entries[i];
}

void actions_init() {
    actions_register(kActionCount, kEntries);
}

} // namespace xel
