// The checksum service: published vectors for the sums, digests and HMAC,
// and the sums against zlib's on long and odd-sized inputs.
#include "services/checksum/checksum.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "runtime/runtime-init.h"
#include "runtime/symbols/symbols.h"

using namespace xel;

namespace {

const uint8_t* bytes_of(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

std::string hex(const uint8_t* bytes, int n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < n; i++) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::string digest_hex(int method, const std::string& data) {
    uint8_t out[kDigestMax];
    checksum_digest(method, bytes_of(data), data.size(), out);
    return hex(out, checksum_digest_size(method));
}

std::string hmac_hex(int method, const std::string& data, const std::string& key) {
    uint8_t out[kDigestMax];
    checksum_hmac(method, bytes_of(data), data.size(), bytes_of(key), key.size(), out);
    return hex(out, checksum_digest_size(method));
}

std::vector<uint8_t> noise(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(random());
    return v;
}

TEST(Checksum, SumsMatchPublishedValues) {
    EXPECT_EQ(checksum_crc32(bytes_of("abc"), 3), 0x352441C2u);
    EXPECT_EQ(checksum_crc32(bytes_of("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(checksum_crc32(nullptr, 0), 0u);
    EXPECT_EQ(checksum_adler32(bytes_of("abc"), 3), 0x024D0127u);
    EXPECT_EQ(checksum_adler32(bytes_of("Wikipedia"), 9), 0x11E60398u);
    EXPECT_EQ(checksum_adler32(nullptr, 0), 1u);
}

TEST(Checksum, InternetChecksumCountsAnOddByteAsLowOrder) {
    const uint8_t one[] = {0x01};
    const uint8_t zero_one[] = {0x00, 0x01};
    // The example of RFC 1071: words 0001 f203 f4f5 f6f7 sum to ddf2.
    const uint8_t rfc[] = {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
    EXPECT_EQ(checksum_tcp(one, 1), 0xFFFEu);
    EXPECT_EQ(checksum_tcp(zero_one, 2), 0xFFFEu);
    EXPECT_EQ(checksum_tcp(rfc, 8), 0x220Du);
    EXPECT_EQ(checksum_tcp(nullptr, 0), 0xFFFFu);
    // Far past 2^16 words of FFFF every carry still comes back in.
    std::vector<uint8_t> ones(1 << 20, 0xFF);
    EXPECT_EQ(checksum_tcp(ones.data(), ones.size()), 0u);
}

TEST(Checksum, SumsAgreeWithZlibAtEveryLengthAndSplit) {
    std::vector<uint8_t> data = noise(70000, 1);
    for (size_t n : {1u, 7u, 8u, 9u, 15u, 16u, 17u, 5551u, 5552u, 5553u, 65536u, 70000u}) {
        EXPECT_EQ(checksum_crc32(data.data(), n), crc32(0, data.data(), static_cast<uInt>(n))) << n;
        EXPECT_EQ(checksum_adler32(data.data(), n), adler32(1, data.data(), static_cast<uInt>(n)))
            << n;
    }
    // All 0xFF is the worst case for the Adler sums between reductions.
    std::vector<uint8_t> high(100000, 0xFF);
    EXPECT_EQ(checksum_adler32(high.data(), high.size()),
              adler32(1, high.data(), static_cast<uInt>(high.size())));
    uint32_t crc = checksum_crc32(data.data(), 1000);
    EXPECT_EQ(checksum_crc32(data.data() + 1000, 3333, crc), checksum_crc32(data.data(), 4333));
    uint32_t adler = checksum_adler32(data.data(), 1000);
    EXPECT_EQ(checksum_adler32(data.data() + 1000, 3333, adler),
              checksum_adler32(data.data(), 4333));
}

TEST(Checksum, DigestsMatchPublishedValues) {
    struct Case {
        int method;
        const char* data;
        const char* digest;
    };
    const Case cases[] = {
        {kChecksumMd5, "", "d41d8cd98f00b204e9800998ecf8427e"},
        {kChecksumMd5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {kChecksumSha1, "abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {kChecksumSha256, "abc",
         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {kChecksumSha384, "abc",
         "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed"
         "8086072ba1e7cc2358baeca134c825a7"},
        {kChecksumSha512, "abc",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
         "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(digest_hex(c.method, c.data), c.digest) << c.method;
}

TEST(Checksum, HmacMatchesPublishedValues) {
    const std::string jefe_data = "what do ya want for nothing?";
    const std::string long_data = "Test Using Larger Than Block-Size Key - Hash Key First";
    struct Case {
        int method;
        std::string key;
        const std::string& data;
        const char* mac;
    };
    const Case cases[] = {
        {kChecksumMd5, "Jefe", jefe_data, "750c783e6ab0b503eaa86e310a5db738"},
        {kChecksumSha1, "Jefe", jefe_data, "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
        {kChecksumSha256, "Jefe", jefe_data,
         "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        {kChecksumSha384, "Jefe", jefe_data,
         "af45d2e376484031617f78d2b58a6b1b9c7ef464f5a01b47e42ec3736322445e"
         "8e2240ca5e69e2c78b3239ecfab21649"},
        {kChecksumSha512, "Jefe", jefe_data,
         "164b7a7bfcf819e2e395fbe73b56e0a387bd64222e831fd610270cd7ea250554"
         "9758bf75c05a994a6d034f65f8f0e6fdcaeab1a34d4a6b4b636e070a38bce737"},
        // Keys longer than the block are replaced by their digest first.
        {kChecksumMd5, std::string(80, '\xAA'), long_data, "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd"},
        {kChecksumSha1, std::string(80, '\xAA'), long_data,
         "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
        {kChecksumSha256, std::string(131, '\xAA'), long_data,
         "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
        {kChecksumSha512, std::string(131, '\xAA'), long_data,
         "80b24263c7c1a3ebb71493c1dd7be8b49b46d1f41b4aeec1121b013783f8f352"
         "6b56d037e05f2598bd0fd2215d6a1e5295e64f73f63f0aec8b915a985d786598"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hmac_hex(c.method, c.data, c.key), c.mac) << c.method << " " << c.key.size();
}

TEST(Checksum, HmacOfALongKeyIsHmacOfItsDigest) {
    for (int method :
         {kChecksumMd5, kChecksumSha1, kChecksumSha256, kChecksumSha384, kChecksumSha512}) {
        std::string key(200, 'k');
        uint8_t key_digest[kDigestMax];
        checksum_digest(method, bytes_of(key), key.size(), key_digest);
        std::string short_key(reinterpret_cast<char*>(key_digest),
                              static_cast<size_t>(checksum_digest_size(method)));
        EXPECT_EQ(hmac_hex(method, "data", key), hmac_hex(method, "data", short_key)) << method;
    }
}

TEST(Checksum, MethodWordsResolveInAnyCase) {
    runtime_init();
    EXPECT_EQ(checksum_method_of(symbol_make("crc32")), kChecksumCrc32);
    EXPECT_EQ(checksum_method_of(symbol_make("CRC32")), kChecksumCrc32);
    EXPECT_EQ(checksum_method_of(symbol_make("Sha256")), kChecksumSha256);
    EXPECT_EQ(checksum_method_of(symbol_make("ADLER32")), kChecksumAdler32);
    EXPECT_EQ(checksum_method_of(symbol_make("hash")), kChecksumHash);
    EXPECT_EQ(checksum_method_of(symbol_make("sha2")), -1);
}

} // namespace
