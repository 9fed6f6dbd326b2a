#include "runtime/externals/externals.h"

#include <vector>

#include "runtime/core/fatal.h"
#include "runtime/core/heap.h"

namespace xel {

namespace {

constexpr uint32_t kInitialSlots = 1000;
constexpr uint32_t kKindMask = 0xFF;
constexpr uint32_t kMarkBit = 0x80000000u;
constexpr uint32_t kFreeSlot = 0x40000000u;

struct Kind {
    const char* name;
    ExternalRelease release;
};

struct Slot {
    uint32_t flags;
    int32_t next;
    uintptr_t handle;
};

Kind* g_kinds = nullptr;
uint32_t g_kind_count = 0;
Slot* g_slots = nullptr;
uint32_t g_capacity = 0;
int32_t g_used_head = -1;
int32_t g_free_head = -1;

// Slots [from, to) become free, threaded in ascending order; the last one
// links to the current free head.
void thread_free(uint32_t from, uint32_t to) {
    for (uint32_t k = from; k < to; k++)
        g_slots[k] = Slot{kFreeSlot, k + 1 < to ? static_cast<int32_t>(k + 1) : g_free_head, 0};
    g_free_head = static_cast<int32_t>(from);
}

bool used(int32_t index) {
    return index >= 0 && static_cast<uint32_t>(index) < g_capacity &&
           !(g_slots[index].flags & kFreeSlot);
}

void release(const Slot& s) {
    uint32_t kind = s.flags & kKindMask;
    if (kind >= 1 && kind <= g_kind_count && g_kinds[kind - 1].release)
        g_kinds[kind - 1].release(s.handle);
}

void unlink_used(int32_t index) {
    for (int32_t* link = &g_used_head; *link != -1; link = &g_slots[*link].next)
        if (*link == index) {
            *link = g_slots[index].next;
            return;
        }
}

void free_slot(int32_t index) {
    g_slots[index] = Slot{kFreeSlot, g_free_head, 0};
    g_free_head = index;
}

} // namespace

void externals_init() {
    heap_free(g_kinds);
    heap_free(g_slots);
    g_kinds = static_cast<Kind*>(heap_alloc(kExternalKinds * sizeof(Kind)));
    g_kind_count = 0;
    g_slots = static_cast<Slot*>(heap_alloc(kInitialSlots * sizeof(Slot)));
    g_capacity = kInitialSlots;
    g_used_head = g_free_head = -1;
    thread_free(0, kInitialSlots);
}

uint32_t externals_register_kind(const char* name, ExternalRelease release) {
    if (g_kind_count == kExternalKinds)
        runtime_error(kErrAssertion,
                      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&externals_register_kind)));
    g_kinds[g_kind_count++] = Kind{name, release};
    return g_kind_count;
}

int32_t externals_store(uintptr_t handle, uint32_t kind) {
    if (g_free_head == -1 || g_slots[g_free_head].next == -1) {
        uint32_t old = g_capacity;
        g_slots = static_cast<Slot*>(heap_realloc(g_slots, 2 * old * sizeof(Slot)));
        g_capacity = 2 * old;
        // The new slots go after the current free ones.
        int32_t head = g_free_head;
        g_free_head = -1;
        thread_free(old, g_capacity);
        if (head != -1) {
            int32_t last = head;
            while (g_slots[last].next != -1)
                last = g_slots[last].next;
            g_slots[last].next = g_free_head;
            g_free_head = head;
        }
    }
    int32_t index = g_free_head;
    g_free_head = g_slots[index].next;
    g_slots[index] = Slot{kind & kKindMask, g_used_head, handle};
    g_used_head = index;
    return index;
}

uintptr_t externals_handle(int32_t index) {
    return used(index) ? g_slots[index].handle : 0;
}

void externals_replace_handle(int32_t index, uintptr_t handle) {
    if (!used(index)) return;
    Slot old = g_slots[index];
    g_slots[index].handle = handle;
    if (old.handle != handle) release(old);
}

int32_t externals_remove(int32_t index, bool with_release) {
    if (!used(index)) return -1;
    Slot s = g_slots[index];
    unlink_used(index);
    free_slot(index);
    if (with_release) release(s);
    return -1;
}

bool externals_mark(int32_t index, uintptr_t handle) {
    if (!used(index)) return false;
    Slot& s = g_slots[index];
    if (handle) s.handle = handle;
    bool first = !(s.flags & kMarkBit);
    s.flags |= kMarkBit;
    return first;
}

void externals_each_of_kind(uint32_t kind, void (*callback)(uintptr_t handle)) {
    for (int32_t i = g_used_head; i != -1; i = g_slots[i].next)
        if ((g_slots[i].flags & kKindMask) == kind) callback(g_slots[i].handle);
}

void externals_sweep() {
    // Released after the walk: a callback may store a new resource.
    std::vector<Slot> dead;
    int32_t* link = &g_used_head;
    while (*link != -1) {
        int32_t i = *link;
        Slot& s = g_slots[i];
        if (s.flags & kMarkBit) {
            s.flags &= ~kMarkBit;
            link = &s.next;
            continue;
        }
        dead.push_back(s);
        *link = s.next;
        free_slot(i);
    }
    for (const Slot& s : dead)
        release(s);
}

uint32_t externals_used_count() {
    uint32_t n = 0;
    for (int32_t i = g_used_head; i != -1; i = g_slots[i].next)
        n++;
    return n;
}

} // namespace xel
