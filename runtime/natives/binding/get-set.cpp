// get and set, and the multi-word assignment that set and foreach share.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/natives/binding/word-natives.h"
#include "runtime/natives/native-call.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

namespace {

// get's refinements, then set's.
enum GetRefs { kGetAny = 0, kGetCase = 1 };
enum SetRefs { kSetAny = 0, kSetCase = 1, kSetOnly = 2, kSetSome = 3 };

bool is_path_type(uint8_t t) {
    return t >= T_PATH && t <= T_GET_PATH;
}

// word!, set-word!, lit-word! or get-word!.
bool is_settable_word(uint8_t t) {
    return t >= T_WORD && t <= T_GET_WORD;
}

bool is_block_like(uint8_t t) {
    return is_block_kind(t) || t == T_MAP;
}

} // namespace

uint32_t natives_get(int, const int32_t* refs) {
    Cell* arg = stack_arguments();
    uint8_t t = type_of(arg);
    if (is_path_type(t)) {
        Cell path = *arg, out;
        if (!natives_path_access(&path, nullptr, ref_present(refs[kGetCase]), &out)) return 0;
        *stack_arguments() = out;
        return 0;
    }
    if (t == T_OBJECT) {
        Cell object = *arg, field;
        word_make_at(&field, g_sym_values);
        Cell values = *actions_reflect_typed(&object, &field);
        *stack_arguments() = values;
        return 0;
    }
    Cell word = *arg;
    Cell value = *context_get(&word);
    if (type_of(&value) == T_UNSET && !ref_present(refs[kGetAny]))
        error_fire(kCatScript, err::script::kNoValue, &word);
    *stack_arguments() = value;
    return 0;
}

void natives_set_words(const Cell* words_value, const Cell* values_value, int32_t n, bool any,
                       bool only, bool some) {
    Cell words = *words_value, values = *values_value;
    auto first_word = static_cast<uint32_t>(block_index(&words));
    bool spread = !only && is_block_like(type_of(&values));
    uint32_t first_value = 0, value_count = 0;
    if (spread) {
        first_value = static_cast<uint32_t>(block_index(&values));
        uint32_t length = block_buffer_length(&values);
        value_count = length > first_value ? length - first_value : 0;
        // Every pair is checked before the first word changes.
        for (int32_t i = 0; i < n; i++) {
            const Cell* w = block_cell_at(&words, first_word + i);
            if (!is_settable_word(type_of(w))) error_fire(kCatScript, err::script::kInvalidArg, w);
            if (!any && static_cast<uint32_t>(i) < value_count &&
                type_of(block_cell_at(&values, first_value + i)) == T_UNSET)
                error_fire(kCatScript, err::script::kNeedValue, w);
        }
    }
    for (int32_t i = 0; i < n; i++) {
        Cell value = values;
        if (spread)
            value = static_cast<uint32_t>(i) < value_count
                        ? *block_cell_at(&values, first_value + i)
                        : g_none_cell;
        if (some && type_of(&value) == T_NONE) continue;
        Cell word = *block_cell_at(&words, first_word + i);
        if (!is_settable_word(type_of(&word)))
            error_fire(kCatScript, err::script::kInvalidArg, &word);
        context_set(&word, &value);
    }
}

uint32_t natives_set(int, const int32_t* refs) {
    Cell* args = stack_arguments();
    Cell target = args[0], value = args[1];
    bool any = ref_present(refs[kSetAny]);
    if (type_of(&value) == T_UNSET && !any)
        error_fire(kCatScript, err::script::kNeedValue, &target);
    uint8_t t = type_of(&target);
    if (is_path_type(t)) {
        Cell out;
        if (!natives_path_access(&target, &value, ref_present(refs[kSetCase]), &out)) return 0;
    } else if (t == T_BLOCK) {
        auto length = static_cast<int32_t>(block_buffer_length(&target)) - block_index(&target);
        stack_mark_native(g_word_anon_marker);
        natives_set_words(&target, &value, length > 0 ? length : 0, any,
                          ref_present(refs[kSetOnly]), ref_present(refs[kSetSome]));
        stack_unwind();
    } else if (t == T_OBJECT) {
        object_set_from(&target, &value, any, ref_present(refs[kSetOnly]),
                        ref_present(refs[kSetSome]));
    } else {
        context_set(&target, &value);
    }
    *stack_arguments() = value;
    return 0;
}

} // namespace xel
