// Print hooks: output reaches its destination only through these two lists.
// Value hooks get the text of the language's print and prin as a string
// value with a new-line flag; text hooks get the low-level run-time's
// diagnostics as they are printed. Until a hook is added (the console adds
// one of each) output goes nowhere.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

using ValueHook = void (*)(const Cell* string, int new_line);
using TextHook = void (*)(const char* text, uint32_t length, int flag);

constexpr uint32_t kPrintHookGrowth = 5;

template <class Hook> struct HookList {
    Hook* hooks;
    uint32_t count;
    uint32_t capacity;
};

extern HookList<ValueHook> g_value_hooks;
extern HookList<TextHook> g_text_hooks;
extern bool g_print_hooks_ready;

// Makes both lists empty with room for five hooks each; first step of the
// run-time init.
void printhooks_init();
// Appends each hook that is not null to its list.
void printhooks_add(ValueHook value_hook, TextHook text_hook);
// Call every hook of the list in order of registration.
void printhooks_call_value_hooks(const Cell* string, int new_line);
void printhooks_call_text_hooks(const char* text, uint32_t length, int flag);

} // namespace xel
