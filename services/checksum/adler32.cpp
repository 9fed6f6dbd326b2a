// Adler-32 of RFC 1950: both sums stay below 2^32 for 5,552 bytes, so they
// are reduced modulo 65521 once per run of that length.
#include "services/checksum/checksum.h"

namespace xel {

namespace {

constexpr uint32_t kBase = 65521;
constexpr size_t kRun = 5552;

} // namespace

uint32_t checksum_adler32(const uint8_t* bytes, size_t count, uint32_t adler) {
    uint32_t a = adler & 0xFFFF;
    uint32_t b = adler >> 16;
    while (count) {
        size_t n = count < kRun ? count : kRun;
        count -= n;
        while (n >= 16) {
            for (int i = 0; i < 16; i++) {
                a += bytes[i];
                b += a;
            }
            bytes += 16;
            n -= 16;
        }
        while (n--) {
            a += *bytes++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return b << 16 | a;
}

} // namespace xel
