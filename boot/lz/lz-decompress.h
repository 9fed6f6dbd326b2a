// The small bit-level LZ format in which boot data may be stored (separate
// from DEFLATE). A stream is an 8-byte header (block-area size, inflated
// size) and blocks of a 32-bit length and a bit stream of literals and
// matches; no match reaches back before the start of its own block.
#pragma once
#include <cstddef>
#include <cstdint>

namespace xel {

// The largest output one block may yield.
constexpr uint32_t kLzMaxBlock = 1u << 20;

// Inflates the stream of `length` bytes into a new heap buffer and stores
// the inflated size through out_size (when given). Corrupt data, or a stream
// that claims more than its length holds, gives nullptr with nothing left
// allocated. Free the result with lz_free.
uint8_t* lz_decompress(const uint8_t* stream, size_t length, uint32_t* out_size);
void lz_free(uint8_t* buffer);

} // namespace xel
