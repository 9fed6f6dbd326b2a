// The checksum service: CRC-32, Adler-32 and the internet checksum computed
// here, the digests MD5, SHA-1, SHA-256, SHA-384 and SHA-512 by OpenSSL's
// libcrypto, and HMAC over those digests.
#pragma once
#include <cstddef>
#include <cstdint>

namespace xel {

// Method indexes of the digests (and of the two sums that share the numbering).
enum ChecksumMethod : int {
    kChecksumTcp = 0,
    kChecksumCrc32 = 1,
    kChecksumMd5 = 2,
    kChecksumSha1 = 3,
    kChecksumSha256 = 4,
    kChecksumSha384 = 5,
    kChecksumSha512 = 6,
    // Method words outside the index table.
    kChecksumAdler32 = 7,
    kChecksumHash = 8,
};

// Interns the method words, lower case first, so that every case variant
// resolves to them; once at start-up.
void checksum_init();
// The method of a word's symbol (any case variant), or -1 for none of the nine.
int checksum_method_of(uint32_t symbol);

// Room for the longest digest (SHA-512).
constexpr int kDigestMax = 64;

// CRC-32 of ISO-HDLC (as in gzip): continues from crc, the CRC of the bytes
// before (0 for none).
uint32_t checksum_crc32(const uint8_t* bytes, size_t count, uint32_t crc = 0);
// Adler-32: continues from adler, the value of the bytes before (1 for none).
uint32_t checksum_adler32(const uint8_t* bytes, size_t count, uint32_t adler = 1);
// The 16-bit internet checksum; an odd final byte counts as a low-order byte.
uint32_t checksum_tcp(const uint8_t* bytes, size_t count);

// Bytes of a digest method's result (md5 to sha512), 0 for the others.
int checksum_digest_size(int method);
// Writes the digest of the bytes into out (kDigestMax bytes of room).
void checksum_digest(int method, const uint8_t* bytes, size_t count, uint8_t* out);
// HMAC of the bytes with the key over a digest method, into out.
void checksum_hmac(int method, const uint8_t* bytes, size_t count, const uint8_t* key,
                   size_t key_length, uint8_t* out);

} // namespace xel
