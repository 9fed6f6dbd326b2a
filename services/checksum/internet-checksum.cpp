// The 16-bit internet checksum: big-endian 16-bit words summed, the carries
// folded back in, the complement of the low half. The sum is kept in 64 bits
// so that inputs past 128 KB lose no carry.
#include "services/checksum/checksum.h"

namespace xel {

uint32_t checksum_tcp(const uint8_t* bytes, size_t count) {
    uint64_t sum = 0;
    size_t i = 0;
    for (; i + 1 < count; i += 2)
        sum += static_cast<uint32_t>(bytes[i]) << 8 | bytes[i + 1];
    // The odd final byte goes in as it is, the low byte of its word.
    if (i < count) sum += bytes[i];
    while (sum >> 16)
        sum = (sum >> 16) + (sum & 0xFFFF);
    return ~static_cast<uint32_t>(sum) & 0xFFFF;
}

} // namespace xel
