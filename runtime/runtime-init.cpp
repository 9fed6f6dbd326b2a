#include "runtime/runtime-init.h"

#include "boot/boot-load.h"
#include "platform/os/os.h"
#include "platform/os/virtual-memory.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/date/date.h"
#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/money/money-cell.h"
#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/registration.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/externals/externals.h"
#include "runtime/externals/slots.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/collector-hook.h"
#include "runtime/memory/collector.h"
#include "runtime/memory/series-memory.h"
#include "runtime/natives/natives.h"
#include "runtime/ownership/ownership.h"
#include "runtime/parse/parse.h"
#include "runtime/printing/cycles.h"
#include "runtime/printing/print-hooks.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"
#include "runtime/text/casefold.h"
#include "services/checksum/checksum.h"
#include "services/compression/compression.h"
#include "services/random/random.h"

namespace xel {

Cell g_root{};

namespace {

// A fixed block of n cells, recorded in the root block so the collector keeps it.
Cell* fixed_block_in_root(uint32_t n) {
    Offset node = alloc_fixed(n, sizeof(Cell), 0);
    Cell* c = root_alloc_tail_cell();
    block_set_cell(c, T_BLOCK, node, 0);
    return at<Cell>(buffer_of(node)->head);
}

} // namespace

Cell* root_alloc_tail_cell() {
    return series_alloc_tail_cell(block_buffer(&g_root));
}

void runtime_init() {
    g_boot_recording = true;
    g_type_word_maker = nullptr;
    printhooks_init();
    cycles_init();
    os_init();
    random_init();
    g_collector_enabled = false;
    g_collection_count = 0;
    // Started again (tests do), the run-time drops the last one's memory.
    os_virtual_free_all();
    memory_init();
    collector_reset();
    externals_init();
    casefold_init();
    register_datatypes();
    memory_first_frames();

    block_set_cell(&g_root, T_BLOCK, alloc_fixed(kRootBlockCells, sizeof(Cell), 0), 0);
    // Both stack buffers are blocks of the root block, so it marks them.
    collector_add_root_callback([] { collector_mark_block_node(series_node_slot(&g_root)); });
    Cell* args = fixed_block_in_root(kArgStackCells);
    Cell* calls = fixed_block_in_root(kCallStackCells);
    stack_init(args, kArgStackCells, reinterpret_cast<CallFrame*>(calls), kCallFrameCapacity);
    symbols_init();
    context_init_global();
    ownership_init();
    object_init();
    words_init();
    words_init_refinements();
    words_init_ooo();
    words_load_static_table();
    checksum_init();
    compress_init();
    actions_init();
    natives_init();
    parse_init();
    error_init();
    date_init();
    money_init();
    lexer_init();
    boot_load();
    interp_init();
    slots_init();
    collector_init();
}

} // namespace xel
