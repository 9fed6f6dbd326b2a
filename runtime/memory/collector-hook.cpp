#include "runtime/memory/collector-hook.h"

namespace xel {

bool g_collector_enabled = false;
uint32_t g_collection_count = 0;
void (*g_collect)() = nullptr;
bool g_collector_torture = false;
uint32_t g_torture_period = 1;
uint32_t g_torture_count = 0;

} // namespace xel
