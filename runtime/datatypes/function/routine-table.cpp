#include "runtime/datatypes/function/routine-table.h"

#include <string>
#include <vector>

namespace xel {

namespace {

struct RoutineEntry {
    std::string name;
    RoutineFn code;
};

// Registration is a property of the program, not of one run-time: the
// table outlives runtime_init.
std::vector<RoutineEntry>& routines() {
    static std::vector<RoutineEntry> table;
    return table;
}

} // namespace

uint32_t routine_register(const char* name, RoutineFn code) {
    uint32_t index = routine_find(name);
    if (index) {
        routines()[index - 1].code = code;
        return index;
    }
    routines().push_back({name, code});
    return static_cast<uint32_t>(routines().size());
}

uint32_t routine_find(const char* name) {
    const auto& table = routines();
    for (size_t i = 0; i < table.size(); i++)
        if (table[i].name == name) return static_cast<uint32_t>(i + 1);
    return 0;
}

RoutineFn routine_code(uint32_t index) {
    const auto& table = routines();
    return index >= 1 && index <= table.size() ? table[index - 1].code : nullptr;
}

} // namespace xel
