// The base 2, 16, 58 and 64 codecs behind enbase and debase, over texts of
// every string unit size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/natives/series/base-codecs.h"

namespace xel {
namespace {

using Decoder = bool (*)(const uint8_t*, uint32_t, uint32_t, std::vector<uint8_t>&);
using Encoder = uint8_t* (*)(const uint8_t*, uint32_t, uint8_t*);

// The text's characters in units of the given size.
std::vector<uint8_t> units(const std::string& text, uint32_t unit) {
    std::vector<uint8_t> out(text.size() * unit);
    for (size_t i = 0; i < text.size(); i++) {
        uint32_t c = static_cast<uint8_t>(text[i]);
        std::memcpy(&out[i * unit], &c, unit);
    }
    return out;
}

// The decoded bytes as a string, or "<invalid>".
std::string decoded(Decoder d, const std::string& text, uint32_t unit = 1) {
    std::vector<uint8_t> in = units(text, unit);
    std::vector<uint8_t> out;
    if (!d(in.data(), static_cast<uint32_t>(text.size()), unit, out)) return "<invalid>";
    return std::string(out.begin(), out.end());
}

std::string encoded(Encoder e, const std::string& bytes) {
    std::vector<uint8_t> out(8 * bytes.size() + 8);
    uint8_t* end = e(reinterpret_cast<const uint8_t*>(bytes.data()),
                     static_cast<uint32_t>(bytes.size()), out.data());
    return std::string(out.data(), end);
}

TEST(BaseCodecs, Decoding) {
    struct Case {
        Decoder d;
        const char* text;
        std::string expected;
    } cases[] = {
        {binary_decode_base64, "aGVsbG8=", "hello"},
        {binary_decode_base64, "aGVs\nbA==", "hell"},
        {binary_decode_base64, "aGVsbA", "hell"},
        {binary_decode_base64, "QQ== ignored", "A"},
        {binary_decode_base64, "Q=Q=", "<invalid>"},
        {binary_decode_base64, "QUJD=", "<invalid>"},
        {binary_decode_base64, "Q", "<invalid>"},
        {binary_decode_base64, "QQ;x", "<invalid>"},
        {binary_decode_base64, "", ""},
        {binary_decode_base16, "41 42\t43\r\n", "ABC"},
        {binary_decode_base16, "41 ; B\n42", "AB"},
        {binary_decode_base16, "4a4", "J"},
        {binary_decode_base16, "4G", "<invalid>"},
        {binary_decode_base2, "0100 0001 010", "A"},
        {binary_decode_base2, "01000001;comment 2\n", "A"},
        {binary_decode_base2, "0100 0002", "<invalid>"},
        {binary_decode_base58, "112", std::string("\0\0\1", 3)},
        {binary_decode_base58, "5Q", "\xFF"},
        {binary_decode_base58, "1 1", std::string("\0\0", 2)},
        {binary_decode_base58, "0", "<invalid>"},
        {binary_decode_base58, "l", "<invalid>"},
    };
    for (const Case& c : cases)
        for (uint32_t unit : {1u, 2u, 4u})
            EXPECT_EQ(decoded(c.d, c.text, unit), c.expected) << c.text << " unit " << unit;
}

TEST(BaseCodecs, WideCharactersAreNotDigits) {
    std::vector<uint8_t> text = {0x41, 0x01, 0x41, 0x00}; // U+0141 U+0041 in 2-byte units
    std::vector<uint8_t> out;
    EXPECT_FALSE(binary_decode_base64(text.data(), 2, 2, out));
    EXPECT_FALSE(binary_decode_base16(text.data(), 2, 2, out));
}

TEST(BaseCodecs, Encoding) {
    struct Case {
        Encoder e;
        std::string bytes;
        const char* expected;
    } cases[] = {
        {binary_encode_base64, "hello", "aGVsbG8="},
        {binary_encode_base64, "hell", "aGVsbA=="},
        {binary_encode_base64, "hel", "aGVs"},
        {binary_encode_base64, "", ""},
        {binary_encode_base16, "\x01\xAB", "01AB"},
        {binary_encode_base2, "\x81", "10000001"},
        {binary_encode_base58, std::string("\0\0\1", 3), "112"},
        {binary_encode_base58, std::string("\0", 1), "1"},
        {binary_encode_base58, "\xFF", "5Q"},
        {binary_encode_base58, "Hello World!", "2NEpo7TZRRrLZSi2U"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(encoded(c.e, c.bytes), c.expected) << c.expected;
}

TEST(BaseCodecs, EveryByteSequenceRoundTrips) {
    struct Pair {
        Encoder e;
        Decoder d;
    } pairs[] = {{binary_encode_base2, binary_decode_base2},
                 {binary_encode_base16, binary_decode_base16},
                 {binary_encode_base58, binary_decode_base58},
                 {binary_encode_base64, binary_decode_base64}};
    std::string bytes;
    for (int n = 0; n < 40; n++) {
        for (const Pair& p : pairs)
            EXPECT_EQ(decoded(p.d, encoded(p.e, bytes)), bytes) << n;
        bytes.push_back(static_cast<char>(n % 3 == 0 ? 0 : n * 37 + 11));
    }
}

} // namespace
} // namespace xel
