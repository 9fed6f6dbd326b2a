// The datatype registry: one action row per type id and the type-name table.
#pragma once
#include <cstdint>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"

namespace xel {

struct TypeName {
    const char* name; // with its trailing "!"
    uint32_t length;  // without the "!": what form writes; mold writes one more
    const Cell* word; // the name's word in the global context, once words exist
};

extern TypeName g_type_names[kTypeTableSize];
extern ActionEntry g_action_table[kTypeTableSize][kActionCount];
extern int g_highest_type;

// Registers one type from a list of count words: id, parent id, name, then one
// entry per slot (a function, 0, or kInheritAction for the parent's entry as it
// stands now). A count other than 65 is a defect of the program: reported,
// then the process ends with status 0.
void datatype_register(uint32_t count, const ActionEntry* list);
inline void datatype_register(const ActionList& list) {
    datatype_register(ActionList::count(), list.words);
}

// Makes the name word of a type; set once the symbol table exists, after which
// every registration makes its name word at once.
extern const Cell* (*g_type_word_maker)(const char* name);
// Makes the name words of ids 1 to the highest (run once the symbol table exists).
void registry_make_name_words();

template <int Slot> inline typename ActionSig<Slot>::type action_of(uint8_t type) {
    return reinterpret_cast<typename ActionSig<Slot>::type>(g_action_table[type][Slot - 1]);
}
inline ActionEntry action_entry(uint8_t type, int slot) {
    return g_action_table[type][slot - 1];
}

} // namespace xel
