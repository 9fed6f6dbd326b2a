#include "boot/boot-literals.h"

#include "runtime/datatypes/block/block.h"
#include "runtime/runtime-init.h"

namespace xel {

uint32_t g_boot_literal_base = 0;
uint32_t g_boot_literal_count = 0;

Cell* boot_literal_at(uint32_t i) {
    return block_cell_at(&g_root, g_boot_literal_base + i);
}

} // namespace xel
