// The zlib (RFC 1950) and gzip (RFC 1952) wrappers around the DEFLATE writer
// and reader.
#include <cstring>
#include <initializer_list>

#include "services/checksum/checksum.h"
#include "services/compression/compression.h"

namespace xel {

namespace {

constexpr int32_t kZlibWrapper = 6;
constexpr int32_t kGzipWrapper = 18;
constexpr int32_t kGzipHeader = 10;
// DEFLATE never gives more than 1,032 bytes for a byte of input (two one-bit
// codes per 258-byte match); a gzip trailer that claims more lies.
constexpr uint64_t kMaxExpansion = 1032;

enum GzipFlags : uint8_t {
    kHeaderCrc = 2,
    kExtra = 4,
    kName = 8,
    kComment = 16,
    kReservedFlags = 0xE0,
};

void put_be32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
void put_le32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
uint32_t be32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
uint32_t le32(const uint8_t* p) {
    return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

// The input length with a wrapper around it, when that is still a size.
bool wrapped_size(int32_t length, int32_t wrapper, int32_t* size) {
    if (length > 0x7FFFFFFF - wrapper) return false;
    *size = length + wrapper;
    return true;
}

// The DEFLATE stream between a header and a trailer; the whole size lands in
// size whether it fits or not.
int deflate_between(uint8_t* out, int32_t* size, int32_t header, const uint8_t* in, int32_t length,
                    int32_t wrapper) {
    int32_t capacity = *size;
    int32_t inner = capacity - wrapper;
    int status = compress_deflate(out + header, &inner, in, length);
    if (status == kCompressTooLarge || !wrapped_size(inner, wrapper, size))
        return kCompressTooLarge;
    return status;
}

} // namespace

int compress_zlib_deflate(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length) {
    if (*size < kZlibWrapper)
        return wrapped_size(length, kZlibWrapper, size) ? kCompressBadWrapper : kCompressTooLarge;
    out[0] = 0x78; // deflate, 32 KB window
    out[1] = 0x01; // fastest level, no dictionary; 0x7801 is a multiple of 31
    int status = deflate_between(out, size, 2, in, length, kZlibWrapper);
    if (status != kCompressOk) return status;
    put_be32(out + *size - 4, checksum_adler32(in, static_cast<size_t>(length)));
    return kCompressOk;
}

int compress_gzip(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length) {
    if (*size < kGzipWrapper)
        return wrapped_size(length, kGzipWrapper, size) ? kCompressBadWrapper : kCompressTooLarge;
    // Data that is gzip already is passed on as it is.
    if (length > 2 && in[0] == 0x1F && in[1] == 0x8B && in[2] == 0x08) {
        bool fits = length <= *size;
        if (fits) std::memcpy(out, in, static_cast<size_t>(length));
        *size = length;
        return fits ? kCompressOk : kCompressNoRoom;
    }
    // Magic, deflate, no flags, no time, fastest compression, OS 4.
    const uint8_t header[kGzipHeader] = {0x1F, 0x8B, 0x08, 0, 0, 0, 0, 0, 0x04, 0x04};
    std::memcpy(out, header, kGzipHeader);
    int status = deflate_between(out, size, kGzipHeader, in, length, kGzipWrapper);
    if (status != kCompressOk) return status;
    put_le32(out + *size - 8, checksum_crc32(in, static_cast<size_t>(length)));
    put_le32(out + *size - 4, static_cast<uint32_t>(length));
    return kCompressOk;
}

int compress_zlib_inflate(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length) {
    if (length < kZlibWrapper) return kCompressBadWrapper;
    uint32_t header = uint32_t{in[0]} << 8 | in[1];
    bool valid =
        header % 31 == 0 && (in[0] & 0x0F) == 8 && (in[0] & 0x80) == 0 && (in[1] & 0x20) == 0;
    if (!valid) return kCompressBadWrapper;
    int status = compress_inflate(out, size, in + 2, length - kZlibWrapper);
    if (status != kCompressOk) return status;
    if (checksum_adler32(out, static_cast<size_t>(*size)) != be32(in + length - 4))
        return kCompressBadWrapper;
    return kCompressOk;
}

int compress_gunzip(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length) {
    if (length < kGzipWrapper) return kCompressBadWrapper;
    uint8_t flags = in[3];
    if (in[0] != 0x1F || in[1] != 0x8B || in[2] != 0x08 || (flags & kReservedFlags))
        return kCompressBadWrapper;
    // The header may reach up to the 8-byte trailer.
    int32_t limit = length - 8;
    int32_t p = kGzipHeader;
    if (flags & kExtra) {
        int32_t extra = in[10] | in[11] << 8;
        if (extra > length - 12) return kCompressBadWrapper;
        p = 12 + extra;
    }
    for (uint8_t text : {kName, kComment}) {
        if (!(flags & text)) continue;
        const void* zero =
            p < limit ? std::memchr(in + p, 0, static_cast<size_t>(limit - p)) : nullptr;
        if (!zero) return kCompressBadWrapper;
        p = static_cast<int32_t>(static_cast<const uint8_t*>(zero) - in) + 1;
    }
    if (flags & kHeaderCrc) {
        if (p + 2 > limit) return kCompressBadWrapper;
        uint32_t crc = checksum_crc32(in, static_cast<size_t>(p)) & 0xFFFF;
        if ((in[p] | in[p + 1] << 8) != static_cast<int>(crc)) return kCompressBadWrapper;
        p += 2;
    }
    if (p > limit) return kCompressBadWrapper;
    uint32_t expected = le32(in + length - 4);
    if (expected > 0x7FFFFFFF || expected > kMaxExpansion * static_cast<uint64_t>(limit - p) + 258)
        return kCompressBadWrapper;
    if (*size < static_cast<int32_t>(expected)) {
        *size = static_cast<int32_t>(expected);
        return kCompressNoRoom;
    }
    int status = compress_inflate(out, size, in + p, limit - p);
    if (status != kCompressOk) return status;
    if (static_cast<uint32_t>(*size) != expected ||
        checksum_crc32(out, static_cast<size_t>(*size)) != le32(in + length - 8))
        return kCompressBadWrapper;
    return kCompressOk;
}

} // namespace xel
