// The compression service: a one-pass DEFLATE writer (one block, fixed
// Huffman codes, greedy first-hit matches), a full DEFLATE reader, and the
// zlib and gzip wrappers around both. Every entry works on buffers its caller
// gives and takes: the output, the size in/out (on entry the output's
// capacity; on return the bytes the whole output needs, which may exceed the
// capacity), the input and its length. A null output with capacity 0 only
// measures. None of them allocates.
#pragma once
#include <cstdint>

namespace xel {

enum CompressStatus : int {
    kCompressOk = 0,
    // The output did not fit; the size in/out holds the size needed.
    kCompressNoRoom = 1,
    // A zlib or gzip header, checksum or size that is wrong, or a capacity
    // below a writer's wrapper (the size in/out then holds input + wrapper).
    kCompressBadWrapper = 2,
    kCompressStoredPastEnd = 3,
    kCompressBadBlockType = 4,
    // A back-reference before the start of the output.
    kCompressBadDistance = 5,
    // Huffman codes or symbols that no valid stream holds.
    kCompressBadCode = 6,
    // The stream needs bits past the end of its input.
    kCompressTruncated = 7,
    // An output of 2^31 bytes or more.
    kCompressTooLarge = 8,
};

int compress_deflate(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length);
int compress_zlib_deflate(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length);
int compress_gzip(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length);

int compress_inflate(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length);
int compress_zlib_inflate(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length);
int compress_gunzip(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length);

// The compress and decompress natives' method words.
enum CompressMethod : int { kMethodZlib = 0, kMethodDeflate = 1, kMethodGzip = 2 };
// Interns "zlib", "deflate" and "gzip"; once at start-up.
void compress_init();
// The method of a word's symbol (any case variant), or -1.
int compress_method_of(uint32_t symbol);

} // namespace xel
