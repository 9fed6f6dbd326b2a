#include "runtime/externals/slots.h"

#include <vector>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/memory/collector.h"
#include "runtime/memory/series-memory.h"

namespace xel {

namespace {

constexpr uint32_t kInitialCells = 100;

Cell g_slot_block{};
int32_t g_free_head = -1;
// Whether each cell holds a value: a stored integer! and a free cell look alike.
std::vector<bool> g_in_use;

uint32_t capacity() {
    return block_buffer(&g_slot_block)->size / sizeof(Cell);
}

// Cells [from, capacity) become free, the last ending the list; they head it.
void thread_free(uint32_t from) {
    uint32_t n = capacity();
    SeriesBuf* buf = block_buffer(&g_slot_block);
    Cell* cells = at<Cell>(buf->head);
    for (uint32_t i = from; i < n; i++)
        set_integer(&cells[i], i + 1 < n ? static_cast<int32_t>(i + 1) : -1);
    buf->tail = buf->head + n * sizeof(Cell);
    g_free_head = static_cast<int32_t>(from);
    g_in_use.resize(n, false);
}

void mark_slot_block() {
    collector_mark_block_node(series_node_slot(&g_slot_block));
}

} // namespace

void slots_init() {
    block_make_at(&g_slot_block, kInitialCells);
    g_in_use.assign(0, false);
    thread_free(0);
    collector_add_root_callback(mark_slot_block);
}

uint32_t slots_store(const Cell* value) {
    Cell v = *value;
    if (g_free_head == -1) {
        uint32_t old = capacity();
        expand_series_copy(block_buffer(&g_slot_block), 2 * old * sizeof(Cell));
        thread_free(old);
    }
    auto i = static_cast<uint32_t>(g_free_head);
    Cell* cell = block_cell_at(&g_slot_block, i);
    g_free_head = integer_get(cell);
    *cell = v;
    g_in_use[i] = true;
    return i + 1;
}

Cell* slots_get(uint32_t handle) {
    if (handle == 0 || handle > g_in_use.size() || !g_in_use[handle - 1]) return nullptr;
    return block_cell_at(&g_slot_block, handle - 1);
}

void slots_free(uint32_t handle) {
    if (!slots_get(handle)) return;
    set_integer(block_cell_at(&g_slot_block, handle - 1), g_free_head);
    g_free_head = static_cast<int32_t>(handle - 1);
    g_in_use[handle - 1] = false;
}

} // namespace xel
