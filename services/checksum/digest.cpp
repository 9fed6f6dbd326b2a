// Digests through libcrypto's EVP interface, and HMAC (RFC 2104) built on
// them here.
#include <openssl/evp.h>

#include <cstring>

#include "runtime/core/fatal.h"
#include "services/checksum/checksum.h"

namespace xel {

namespace {

const EVP_MD* algorithm_of(int method) {
    switch (method) {
    case kChecksumMd5:
        return EVP_md5();
    case kChecksumSha1:
        return EVP_sha1();
    case kChecksumSha256:
        return EVP_sha256();
    case kChecksumSha384:
        return EVP_sha384();
    case kChecksumSha512:
        return EVP_sha512();
    default:
        return nullptr;
    }
}

// The digest of two runs of bytes one after the other. libcrypto fails only
// when it cannot allocate or the algorithm is missing from its provider,
// which leaves no digest to give.
void digest_of(int method, const uint8_t* first, size_t first_count, const uint8_t* second,
               size_t second_count, uint8_t* out) {
    const EVP_MD* md = algorithm_of(method);
    EVP_MD_CTX* ctx = md ? EVP_MD_CTX_new() : nullptr;
    bool ok = ctx && EVP_DigestInit_ex(ctx, md, nullptr) == 1 &&
              EVP_DigestUpdate(ctx, first, first_count) == 1 &&
              EVP_DigestUpdate(ctx, second, second_count) == 1 &&
              EVP_DigestFinal_ex(ctx, out, nullptr) == 1;
    EVP_MD_CTX_free(ctx);
    if (!ok) runtime_error(kErrUnknown, 0);
}

int block_size_of(int method) {
    return method == kChecksumSha384 || method == kChecksumSha512 ? 128 : 64;
}

} // namespace

int checksum_digest_size(int method) {
    switch (method) {
    case kChecksumMd5:
        return 16;
    case kChecksumSha1:
        return 20;
    case kChecksumSha256:
        return 32;
    case kChecksumSha384:
        return 48;
    case kChecksumSha512:
        return 64;
    default:
        return 0;
    }
}

void checksum_digest(int method, const uint8_t* bytes, size_t count, uint8_t* out) {
    std::memset(out, 0, kDigestMax);
    digest_of(method, bytes, count, nullptr, 0, out);
}

void checksum_hmac(int method, const uint8_t* bytes, size_t count, const uint8_t* key,
                   size_t key_length, uint8_t* out) {
    int block = block_size_of(method);
    int size = checksum_digest_size(method);
    uint8_t key_block[128] = {};
    if (key_length > static_cast<size_t>(block))
        digest_of(method, key, key_length, nullptr, 0, key_block);
    else if (key_length)
        std::memcpy(key_block, key, key_length);

    uint8_t pad[128];
    uint8_t inner[kDigestMax];
    for (int i = 0; i < block; i++)
        pad[i] = key_block[i] ^ 0x36;
    digest_of(method, pad, static_cast<size_t>(block), bytes, count, inner);
    for (int i = 0; i < block; i++)
        pad[i] = key_block[i] ^ 0x5C;
    std::memset(out, 0, kDigestMax);
    digest_of(method, pad, static_cast<size_t>(block), inner, static_cast<size_t>(size), out);
}

} // namespace xel
