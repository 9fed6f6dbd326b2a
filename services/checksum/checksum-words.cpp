// The checksum native's method words, interned in their fixed order.
#include "runtime/symbols/symbols.h"
#include "services/checksum/checksum.h"

namespace xel {

namespace {

struct MethodWord {
    const char* name;
    int method;
};

constexpr MethodWord kWords[] = {
    {"tcp", kChecksumTcp},       {"md5", kChecksumMd5},         {"sha1", kChecksumSha1},
    {"crc32", kChecksumCrc32},   {"adler32", kChecksumAdler32}, {"sha256", kChecksumSha256},
    {"sha384", kChecksumSha384}, {"sha512", kChecksumSha512},   {"hash", kChecksumHash},
};
constexpr int kWordCount = sizeof kWords / sizeof *kWords;

uint32_t g_symbols[kWordCount];

} // namespace

void checksum_init() {
    for (int i = 0; i < kWordCount; i++)
        g_symbols[i] = symbol_resolve(symbol_make(kWords[i].name));
}

int checksum_method_of(uint32_t symbol) {
    uint32_t canon = symbol_resolve(symbol);
    for (int i = 0; i < kWordCount; i++)
        if (g_symbols[i] == canon) return kWords[i].method;
    return -1;
}

} // namespace xel
