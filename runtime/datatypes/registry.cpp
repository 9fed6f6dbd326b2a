#include "runtime/datatypes/registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace xel {

TypeName g_type_names[kTypeTableSize];
ActionEntry g_action_table[kTypeTableSize][kActionCount];
int g_highest_type = 0;
const Cell* (*g_type_word_maker)(const char* name) = nullptr;

void datatype_register(uint32_t count, const ActionEntry* list) {
    auto id = static_cast<uint8_t>(list[0]);
    auto parent = static_cast<uint8_t>(list[1]);
    const char* name = reinterpret_cast<const char*>(list[2]);
    if (id > g_highest_type) g_highest_type = id;
    g_type_names[id].name = name;
    g_type_names[id].length = static_cast<uint32_t>(std::strlen(name)) - 1;
    if (g_type_word_maker) g_type_names[id].word = g_type_word_maker(name);

    uint32_t actions = count - 3;
    if (actions != kActionCount) {
        std::printf("*** Datatype Error: invalid actions count for type: %d\n*** Found: %u\n"
                    "*** Expected: %d\n",
                    id, actions, kActionCount);
        std::fflush(stdout);
        std::exit(0);
    }
    for (int s = 0; s < kActionCount; s++) {
        ActionEntry e = list[3 + s];
        g_action_table[id][s] = (parent && e == kInheritAction) ? g_action_table[parent][s]
                                : e == kInheritAction           ? 0
                                                                : e;
    }
}

void registry_make_name_words() {
    for (int id = 1; id <= g_highest_type; id++)
        if (g_type_names[id].name) g_type_names[id].word = g_type_word_maker(g_type_names[id].name);
}

} // namespace xel
