#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "boot/host/lz-compress.h"
#include "boot/lz/lz-decompress.h"

using namespace xel;

namespace {

// A stream of blocks, each a length and its bit stream (bits low first).
struct StreamBuilder {
    std::vector<uint8_t> bytes;
    uint32_t inflated = 0;
    uint32_t bits = 0;
    int count = 0;

    void u32(uint32_t v) {
        for (int i = 0; i < 4; i++)
            bytes.push_back(static_cast<uint8_t>(v >> 8 * i));
    }
    void block(uint32_t n) {
        u32(n);
        inflated += n;
    }
    void put(uint32_t v, int n) {
        for (int i = 0; i < n; i++) {
            bits |= ((v >> i) & 1u) << count;
            if (++count == 8) flush();
        }
    }
    void flush() {
        if (count) bytes.push_back(static_cast<uint8_t>(bits));
        bits = 0;
        count = 0;
    }
    std::vector<uint8_t> stream() {
        flush();
        std::vector<uint8_t> out;
        for (uint32_t v : {static_cast<uint32_t>(bytes.size()), inflated})
            for (int i = 0; i < 4; i++)
                out.push_back(static_cast<uint8_t>(v >> 8 * i));
        out.insert(out.end(), bytes.begin(), bytes.end());
        return out;
    }
};

std::string inflate(const std::vector<uint8_t>& s, bool* ok) {
    uint32_t size = 12345;
    uint8_t* out = lz_decompress(s.data(), s.size(), &size);
    *ok = out != nullptr;
    if (!out) return "";
    std::string text(reinterpret_cast<char*>(out), size);
    lz_free(out);
    return text;
}

TEST(Lz, FixedStreams) {
    bool ok;
    StreamBuilder empty;
    EXPECT_EQ(inflate(empty.stream(), &ok), "");
    EXPECT_TRUE(ok) << "a block area of 0 bytes";

    StreamBuilder run; // 'a', then a match: L 0 (prefix 1, v 0), distance j0 0, v 0
    run.block(4);
    run.put(0, 1);
    run.put('a', 8);
    run.put(1, 1);
    run.put(1, 1);
    run.put(0, 2);
    run.put(0, 4);
    run.put(0, 3);
    EXPECT_EQ(inflate(run.stream(), &ok), "aaaa");
    EXPECT_TRUE(ok);

    StreamBuilder two; // two blocks; the second's length starts at a fresh byte
    two.block(1);
    two.put(0, 1);
    two.put('x', 8);
    two.flush();
    two.block(2);
    for (char c : {'y', 'z'}) {
        two.put(0, 1);
        two.put(static_cast<uint8_t>(c), 8);
    }
    EXPECT_EQ(inflate(two.stream(), &ok), "xyz");
    EXPECT_TRUE(ok);

    StreamBuilder long_match; // 'ab', then 52 + 3 bytes from 2 back (j0 0, v 1)
    long_match.block(57);
    for (char c : {'a', 'b'}) {
        long_match.put(0, 1);
        long_match.put(static_cast<uint8_t>(c), 8);
    }
    long_match.put(1, 1);
    long_match.put(0, 5);
    long_match.put(0, 9);
    long_match.put(0, 4);
    long_match.put(1, 3);
    std::string expect;
    for (int i = 0; i < 57; i++)
        expect += i % 2 ? 'b' : 'a';
    EXPECT_EQ(inflate(long_match.stream(), &ok), expect);
    EXPECT_TRUE(ok);
}

TEST(Lz, CorruptStreamsGiveNothing) {
    bool ok;
    StreamBuilder starts_with_match;
    starts_with_match.block(3);
    starts_with_match.put(1, 1);
    starts_with_match.put(1, 1);
    starts_with_match.put(0, 2);
    starts_with_match.put(0, 7);
    inflate(starts_with_match.stream(), &ok);
    EXPECT_FALSE(ok) << "no byte produced yet";

    StreamBuilder too_big;
    too_big.block(kLzMaxBlock + 1);
    too_big.put(0, 9);
    inflate(too_big.stream(), &ok);
    EXPECT_FALSE(ok) << "a block of 1,048,577 bytes";

    StreamBuilder past_end; // 'a', then a match of 3 in a block of 2
    past_end.block(2);
    past_end.put(0, 1);
    past_end.put('a', 8);
    past_end.put(1, 1);
    past_end.put(1, 1);
    past_end.put(0, 2);
    past_end.put(0, 7);
    inflate(past_end.stream(), &ok);
    EXPECT_FALSE(ok) << "a match past the block's end";

    StreamBuilder zero;
    zero.block(0);
    inflate(zero.stream(), &ok);
    EXPECT_FALSE(ok) << "a block of 0 bytes";

    std::vector<uint8_t> claims = {0, 0, 0, 0, 0, 0, 0, 0};
    claims[0] = 200; // more block area than the stream holds
    inflate(claims, &ok);
    EXPECT_FALSE(ok);
    std::vector<uint8_t> huge = {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0};
    inflate(huge, &ok);
    EXPECT_FALSE(ok) << "4 GB claimed from one byte: refused before allocating";
    inflate({1, 2, 3}, &ok);
    EXPECT_FALSE(ok) << "shorter than the header";
}

TEST(Lz, CompressorOutputInflatesBack) {
    std::vector<std::vector<uint8_t>> inputs;
    inputs.emplace_back();
    std::string text;
    for (int i = 0; i < 5000; i++)
        text += "the quick brown fox " + std::to_string(i % 97) + "\n";
    inputs.emplace_back(text.begin(), text.end());
    std::vector<uint8_t> noise(3 * kLzMaxBlock / 2);
    uint32_t x = 12345;
    for (uint8_t& b : noise) {
        x = x * 1103515245 + 12345;
        b = static_cast<uint8_t>(x >> 24);
    }
    inputs.push_back(noise);
    inputs.emplace_back(700000, 'z');
    for (const auto& input : inputs) {
        std::vector<uint8_t> packed =
            lz_compress(input.data(), static_cast<uint32_t>(input.size()));
        uint32_t size = 0;
        uint8_t* out = lz_decompress(packed.data(), packed.size(), &size);
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(size, input.size());
        EXPECT_TRUE(size == 0 || std::memcmp(out, input.data(), size) == 0);
        lz_free(out);
        // Every truncation is refused, never read past.
        for (size_t n = 0; n < packed.size() && n < 64; n++) {
            uint8_t* cut = lz_decompress(packed.data(), n, nullptr);
            EXPECT_EQ(cut, nullptr);
        }
    }
}

} // namespace
