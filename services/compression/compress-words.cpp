// The compression natives' method words, interned in their fixed order.
#include "runtime/symbols/symbols.h"
#include "services/compression/compression.h"

namespace xel {

namespace {

constexpr const char* kWords[] = {"zlib", "deflate", "gzip"};
uint32_t g_symbols[3];

} // namespace

void compress_init() {
    for (int i = 0; i < 3; i++)
        g_symbols[i] = symbol_resolve(symbol_make(kWords[i]));
}

int compress_method_of(uint32_t symbol) {
    uint32_t canon = symbol_resolve(symbol);
    for (int i = 0; i < 3; i++)
        if (g_symbols[i] == canon) return i;
    return -1;
}

} // namespace xel
