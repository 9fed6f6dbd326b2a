// The word pairs of the change events.
#include "runtime/ownership/ownership.h"
#include "runtime/symbols/fixed-words.h"

namespace xel {

const Cell* ownership_word_before(Change action) {
    switch (action) {
    case Change::Append:
        return g_word_append;
    case Change::Insert:
        return g_gword_insert;
    case Change::Change:
        return g_word_change;
    case Change::Clear:
        return g_word_clear;
    case Change::Move:
        return g_word_move;
    case Change::Poke:
        return g_word_poke;
    case Change::Put:
        return g_word_put;
    case Change::Remove:
        return g_gword_remove;
    case Change::Random:
        return g_word_random;
    case Change::Reverse:
        return g_word_reverse;
    case Change::Sort:
        return g_word_sort;
    case Change::Swap:
        return g_word_swap;
    case Change::Take:
        return g_word_take;
    case Change::Trim:
        return g_word_trim;
    case Change::Uppercase:
    case Change::Lowercase:
        return nullptr;
    }
    return nullptr;
}

const Cell* ownership_word_after(Change action) {
    switch (action) {
    case Change::Append:
        return g_word_appended;
    case Change::Insert:
        return g_word_inserted;
    case Change::Change:
        return g_word_changed;
    case Change::Clear:
        return g_word_cleared;
    case Change::Move:
        return g_word_moved;
    case Change::Poke:
        return g_word_poked;
    case Change::Put:
        return g_word_put_ed;
    case Change::Remove:
        return g_word_removed;
    case Change::Random:
        return g_word_randomized;
    case Change::Reverse:
        return g_word_reversed;
    case Change::Sort:
        return g_word_sorted;
    case Change::Swap:
        return g_word_swaped;
    case Change::Take:
        return g_word_taken;
    case Change::Trim:
        return g_word_trimmed;
    case Change::Uppercase:
        return g_word_uppercase;
    case Change::Lowercase:
        return g_word_lowercase;
    }
    return nullptr;
}

bool ownership_notify_before(const Cell* value, Change action, const Cell* new_value, int index,
                             int part) {
    const Cell* word = ownership_word_before(action);
    return word && ownership_check(value, word, new_value, index, part);
}

bool ownership_notify_after(const Cell* value, Change action, const Cell* new_value, int index,
                            int part) {
    return ownership_check(value, ownership_word_after(action), new_value, index, part);
}

} // namespace xel
