// The writer of the LZ format that the boot load reads (boot/lz/): used by
// the host tool only, the program itself never writes it.
#pragma once
#include <cstdint>
#include <vector>

namespace xel {

// The whole stream: header, then blocks of at most 1 MB each.
std::vector<uint8_t> lz_compress(const uint8_t* data, uint32_t size);

} // namespace xel
