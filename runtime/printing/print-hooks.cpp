#include "runtime/printing/print-hooks.h"

#include <cstring>

#include "runtime/core/heap.h"

namespace xel {

HookList<ValueHook> g_value_hooks{};
HookList<TextHook> g_text_hooks{};
bool g_print_hooks_ready = false;

namespace {

template <class Hook> void reset(HookList<Hook>& list) {
    if (list.hooks) heap_free(list.hooks);
    list.hooks = static_cast<Hook*>(heap_alloc(kPrintHookGrowth * sizeof(Hook)));
    list.count = 0;
    list.capacity = kPrintHookGrowth;
}

// A full list moves to a new array five entries larger.
template <class Hook> void append(HookList<Hook>& list, Hook hook) {
    if (list.count == list.capacity) {
        uint32_t capacity = list.capacity + kPrintHookGrowth;
        auto* hooks = static_cast<Hook*>(heap_alloc(capacity * sizeof(Hook)));
        std::memcpy(hooks, list.hooks, list.count * sizeof(Hook));
        heap_free(list.hooks);
        list.hooks = hooks;
        list.capacity = capacity;
    }
    list.hooks[list.count++] = hook;
}

} // namespace

void printhooks_init() {
    reset(g_value_hooks);
    reset(g_text_hooks);
    g_print_hooks_ready = true;
}

void printhooks_add(ValueHook value_hook, TextHook text_hook) {
    if (value_hook) append(g_value_hooks, value_hook);
    if (text_hook) append(g_text_hooks, text_hook);
}

// A hook may add hooks while it runs; the list is read afresh each step.
void printhooks_call_value_hooks(const Cell* string, int new_line) {
    for (uint32_t i = 0; i < g_value_hooks.count; i++)
        g_value_hooks.hooks[i](string, new_line);
}

void printhooks_call_text_hooks(const char* text, uint32_t length, int flag) {
    for (uint32_t i = 0; i < g_text_hooks.count; i++)
        g_text_hooks.hooks[i](text, length, flag);
}

} // namespace xel
