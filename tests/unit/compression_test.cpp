// The compression service: the writer's exact bit stream against a plain
// model of its rules, everything it writes read back by zlib and by our
// reader, zlib's streams of every level and strategy read by ours, the
// wrappers' checks, and refusal of malformed streams.
#include "services/compression/compression.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "services/checksum/checksum.h"

using namespace xel;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytes_of(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Least-significant-first bit writer for building streams by hand.
struct Bits {
    Bytes out;
    uint32_t pending = 0;
    int count = 0;
    void put(uint32_t value, int n) {
        for (int i = 0; i < n; i++) {
            pending |= ((value >> i) & 1u) << count;
            if (++count == 8) {
                out.push_back(static_cast<uint8_t>(pending));
                pending = 0;
                count = 0;
            }
        }
    }
    // A Huffman code, most significant bit first.
    void code(uint32_t value, int n) {
        for (int i = n - 1; i >= 0; i--)
            put((value >> i) & 1u, 1);
    }
    Bytes done() {
        if (count) out.push_back(static_cast<uint8_t>(pending));
        count = 0;
        return out;
    }
};

// The writer's rules, step by step, with nothing but the RFC's tables.
Bytes model_deflate(const Bytes& in) {
    static const int length_base[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int length_extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const int dist_base[] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                    33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    auto symbol = [](Bits& b, int s) {
        if (s < 144)
            b.code(0x30 + s, 8);
        else if (s < 256)
            b.code(0x190 + s - 144, 9);
        else if (s < 280)
            b.code(s - 256, 7);
        else
            b.code(0xC0 + s - 280, 8);
    };
    auto byte_at = [&](size_t p) -> uint32_t { return p < in.size() ? in[p] : 0; };
    Bits b;
    b.put(1, 1);
    b.put(1, 2);
    std::vector<long> table(4096, -1);
    size_t p = 0;
    while (p < in.size()) {
        uint32_t v = byte_at(p) << 16 | byte_at(p + 1) << 8 | byte_at(p + 2);
        uint32_t h = v ^ (v >> 16);
        h *= 0x7FEB352Du;
        h ^= h >> 15;
        h *= 0x846CA68Bu;
        h ^= h >> 16;
        uint32_t bucket = h & 0x3FF;
        size_t len = 1;
        if (p >= 3 && in.size() - p >= 3) {
            for (int slot = 0; slot < 4; slot++) {
                long q = table[bucket * 4 + slot];
                if (q < 0 || static_cast<size_t>(q) >= p || p >= static_cast<size_t>(q) + 32768)
                    continue;
                if (in[q] != in[p] || in[q + 1] != in[p + 1] || in[q + 2] != in[p + 2]) continue;
                len = 3;
                while (len < 258 && p + len < in.size() && in[q + len] == in[p + len])
                    len++;
                int ls = 28;
                while (length_base[ls] > static_cast<int>(len))
                    ls--;
                symbol(b, 257 + ls);
                b.put(static_cast<uint32_t>(len - length_base[ls]), length_extra[ls]);
                int d = static_cast<int>(p - q);
                int ds = 29;
                while (dist_base[ds] > d)
                    ds--;
                b.code(static_cast<uint32_t>(ds), 5);
                b.put(static_cast<uint32_t>(d - dist_base[ds]), ds < 4 ? 0 : ds / 2 - 1);
                break;
            }
        }
        if (len == 1) symbol(b, in[p]);
        size_t next = p + len;
        uint32_t w = byte_at(next) << 16 | byte_at(next + 1) << 8 | byte_at(next + 2);
        table[bucket * 4 + (((w >> 14) - w) & 3)] = static_cast<long>(p);
        p = next;
    }
    b.put(0, 7);
    return b.done();
}

using Entry = int (*)(uint8_t*, int32_t*, const uint8_t*, int32_t);

// Runs an entry as the natives do: measure, then produce. Status and bytes.
std::pair<int, Bytes> run(Entry f, const Bytes& in) {
    int32_t size = 0;
    int status = f(nullptr, &size, in.data(), static_cast<int32_t>(in.size()));
    bool writer = f == compress_deflate || f == compress_zlib_deflate || f == compress_gzip;
    Bytes out;
    // A writer below its wrapper's size answers with input + wrapper, and
    // then with the exact size.
    for (int i = 0; i < 2; i++) {
        if (status != kCompressNoRoom && !(writer && status == kCompressBadWrapper)) break;
        out.assign(static_cast<size_t>(size), 0);
        status = f(out.data(), &size, in.data(), static_cast<int32_t>(in.size()));
    }
    if (status == kCompressOk) out.resize(static_cast<size_t>(size));
    return {status, out};
}

Bytes deflate(Entry f, const Bytes& in) {
    auto [status, out] = run(f, in);
    EXPECT_EQ(status, kCompressOk);
    return out;
}

Bytes inflate_ok(Entry f, const Bytes& in) {
    auto [status, out] = run(f, in);
    EXPECT_EQ(status, kCompressOk);
    return out;
}

int inflate_status(Entry f, const Bytes& in) {
    Bytes out(1 << 16);
    auto size = static_cast<int32_t>(out.size());
    return f(out.data(), &size, in.data(), static_cast<int32_t>(in.size()));
}

// zlib's stream of the data: raw (window bits below 0), zlib, or gzip (+16).
Bytes zlib_compress(const Bytes& in, int level, int strategy, int window_bits, int mem_level = 8) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, window_bits, mem_level, strategy), Z_OK);
    Bytes out(deflateBound(&z, static_cast<uLong>(in.size())) + 64);
    z.next_in = const_cast<Bytes::value_type*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

Bytes zlib_decompress(const Bytes& in, int window_bits, size_t expected) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, window_bits), Z_OK);
    Bytes out(expected + 1);
    z.next_in = const_cast<Bytes::value_type*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

// Samples: text with repeats near and far, noise, runs, and mixtures.
std::vector<Bytes> samples() {
    std::mt19937 random(17);
    std::vector<Bytes> all;
    all.push_back({});
    all.push_back({'x'});
    all.push_back(bytes_of("ab"));
    all.push_back(bytes_of("abc"));
    all.push_back(Bytes(300, 'a'));
    all.push_back(Bytes(100000, 0));
    const char* words[] = {"the ",   "quick ", "brown ", "fox ",  "jumps ", "over ",
                           "lazy ",  "dog ",   "and ",   "then ", "some ",  "more\n",
                           "while ", "(x) ",   "12345 ", "{y} "};
    Bytes text;
    while (text.size() < 300000) {
        std::string w = words[random() % 16];
        text.insert(text.end(), w.begin(), w.end());
    }
    all.push_back(text);
    Bytes noise(70000);
    for (auto& b : noise)
        b = static_cast<uint8_t>(random());
    all.push_back(noise);
    // The same noise 40 KB later: a match just past the window, another inside.
    Bytes far(noise.begin(), noise.begin() + 20000);
    far.insert(far.end(), noise.begin() + 20000, noise.begin() + 60000);
    far.insert(far.end(), noise.begin(), noise.begin() + 20000);
    all.push_back(far);
    Bytes mixed;
    for (int i = 0; i < 2000; i++) {
        int kind = static_cast<int>(random() % 4);
        int n = static_cast<int>(random() % 300);
        for (int k = 0; k < n; k++)
            mixed.push_back(kind == 0   ? static_cast<uint8_t>(random())
                            : kind == 1 ? static_cast<uint8_t>('a' + k % 3)
                            : kind == 2 ? text[static_cast<size_t>(i * 7 + k)]
                                        : uint8_t{0xFF});
    }
    all.push_back(mixed);
    return all;
}

TEST(Compression, EmptyInputGivesTheBlockHeaderAlone) {
    EXPECT_EQ(deflate(compress_deflate, {}), (Bytes{0x03, 0x00}));
    EXPECT_EQ(deflate(compress_zlib_deflate, {}),
              (Bytes{0x78, 0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01}));
    EXPECT_EQ(deflate(compress_gzip, {}), (Bytes{0x1F, 0x8B, 0x08, 0, 0, 0, 0, 0, 0x04, 0x04,
                                                 0x03, 0x00, 0,    0, 0, 0, 0, 0, 0,    0}));
}

TEST(Compression, ThreeHundredEqualBytesAreThreeLiteralsAndTwoMatches) {
    Bits b;
    b.put(1, 1);
    b.put(1, 2);
    for (int i = 0; i < 3; i++)
        b.code(0x30 + 'a', 8);
    b.code(0xC5, 8); // length symbol 285: 258
    b.code(0, 5);    // distance 1
    b.code(17, 7);   // length symbol 273: 35 + 4 = 39
    b.put(4, 3);
    b.code(16, 5); // distance symbol 16: 257 + 1 = 258
    b.put(1, 7);
    b.put(0, 7);
    EXPECT_EQ(deflate(compress_deflate, Bytes(300, 'a')), b.done());
}

TEST(Compression, WriterFollowsItsRulesByteForByte) {
    for (const Bytes& in : samples())
        EXPECT_EQ(deflate(compress_deflate, in), model_deflate(in)) << in.size();
}

TEST(Compression, WhatWeWriteZlibAndWeReadBack) {
    for (const Bytes& in : samples()) {
        Bytes raw = deflate(compress_deflate, in);
        EXPECT_EQ(zlib_decompress(raw, -15, in.size()), in);
        EXPECT_EQ(inflate_ok(compress_inflate, raw), in);
        Bytes z = deflate(compress_zlib_deflate, in);
        EXPECT_EQ(zlib_decompress(z, 15, in.size()), in);
        EXPECT_EQ(inflate_ok(compress_zlib_inflate, z), in);
        Bytes gz = deflate(compress_gzip, in);
        EXPECT_EQ(zlib_decompress(gz, 31, in.size()), in);
        EXPECT_EQ(inflate_ok(compress_gunzip, gz), in);
    }
}

TEST(Compression, WeReadZlibAtEveryLevelAndStrategy) {
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (const Bytes& in : samples()) {
        // The raw streams at every level and strategy; the wrappers, which
        // only frame the same streams, at every level.
        for (int level = 0; level <= 9; level++) {
            for (int strategy : strategies)
                EXPECT_EQ(inflate_ok(compress_inflate, zlib_compress(in, level, strategy, -15)), in)
                    << level << " " << strategy << " " << in.size();
            EXPECT_EQ(
                inflate_ok(compress_zlib_inflate, zlib_compress(in, level, Z_DEFAULT_STRATEGY, 15)),
                in);
            EXPECT_EQ(inflate_ok(compress_gunzip, zlib_compress(in, level, Z_DEFAULT_STRATEGY, 31)),
                      in);
        }
        for (int window = 9; window <= 15; window++)
            EXPECT_EQ(inflate_ok(compress_zlib_inflate,
                                 zlib_compress(in, 9, Z_DEFAULT_STRATEGY, window, 1)),
                      in);
    }
}

TEST(Compression, ACapacityOfZeroMeasures) {
    Bytes in = samples()[6];
    Bytes raw = deflate(compress_deflate, in);
    Bytes z = deflate(compress_zlib_deflate, in);
    Bytes gz = deflate(compress_gzip, in);
    auto n = static_cast<int32_t>(in.size());
    struct Case {
        Entry f;
        const Bytes& input;
        int status;
        int32_t size;
    };
    const Case cases[] = {
        {compress_deflate, in, kCompressNoRoom, static_cast<int32_t>(raw.size())},
        {compress_zlib_deflate, in, kCompressBadWrapper, n + 6},
        {compress_gzip, in, kCompressBadWrapper, n + 18},
        {compress_inflate, raw, kCompressNoRoom, n},
        {compress_zlib_inflate, z, kCompressNoRoom, n},
        {compress_gunzip, gz, kCompressNoRoom, n},
    };
    for (const Case& c : cases) {
        int32_t size = 0;
        EXPECT_EQ(c.f(nullptr, &size, c.input.data(), static_cast<int32_t>(c.input.size())),
                  c.status);
        EXPECT_EQ(size, c.size);
    }
    // With input + 6 the zlib writer tells the exact size; one byte short of
    // it, the trailer does not fit.
    Bytes out(in.size() + 6);
    int32_t size = n + 6;
    EXPECT_EQ(compress_zlib_deflate(out.data(), &size, in.data(), n), kCompressOk);
    EXPECT_EQ(size, static_cast<int32_t>(z.size()));
    size = static_cast<int32_t>(z.size()) - 1;
    EXPECT_EQ(compress_zlib_deflate(out.data(), &size, in.data(), n), kCompressNoRoom);
    EXPECT_EQ(size, static_cast<int32_t>(z.size()));
    // A capacity part-way gives the leading bytes and the full size.
    Bytes part(1000);
    size = 1000;
    EXPECT_EQ(compress_inflate(part.data(), &size, raw.data(), static_cast<int32_t>(raw.size())),
              kCompressNoRoom);
    EXPECT_EQ(size, n);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), in.begin()));
}

TEST(Compression, GzipOfGzipIsTheSame) {
    Bytes gz = deflate(compress_gzip, bytes_of("some text"));
    EXPECT_EQ(deflate(compress_gzip, gz), gz);
}

// A dynamic block from code lengths: the code-length code gives symbols 0-15
// four bits each, then the literal/length and distance lengths, then the
// symbols (literal or length symbol, distance symbol; -1 none) as coded.
Bytes dynamic_block(const std::vector<int>& literal_lengths, const std::vector<int>& dist_lengths,
                    const std::vector<std::pair<int, int>>& symbols, bool final_block = true) {
    auto codes_of = [](const std::vector<int>& lengths) {
        int count[16] = {};
        for (int l : lengths)
            count[l]++;
        count[0] = 0;
        int next[16] = {};
        int code = 0;
        for (int l = 1; l < 16; l++) {
            code = (code + count[l - 1]) << 1;
            next[l] = code;
        }
        std::vector<int> codes(lengths.size());
        for (size_t s = 0; s < lengths.size(); s++)
            if (lengths[s]) codes[s] = next[lengths[s]]++;
        return codes;
    };
    Bits b;
    b.put(final_block ? 1 : 0, 1);
    b.put(2, 2);
    b.put(static_cast<uint32_t>(literal_lengths.size() - 257), 5);
    b.put(static_cast<uint32_t>(dist_lengths.size() - 1), 5);
    b.put(15, 4);
    const int order[] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    for (int s : order)
        b.put(s < 16 ? 4 : 0, 3);
    for (int l : literal_lengths)
        b.code(static_cast<uint32_t>(l), 4);
    for (int l : dist_lengths)
        b.code(static_cast<uint32_t>(l), 4);
    std::vector<int> lit = codes_of(literal_lengths);
    std::vector<int> dist = codes_of(dist_lengths);
    for (auto [l, d] : symbols) {
        b.code(static_cast<uint32_t>(lit[l]), literal_lengths[l]);
        if (d >= 0) b.code(static_cast<uint32_t>(dist[d]), dist_lengths[d]);
    }
    return b.done();
}

// Literals 'a' and 'b', the end code and length symbol 257 (3) in two bits.
std::vector<int> small_literals() {
    std::vector<int> lengths(258, 0);
    lengths['a'] = 2;
    lengths['b'] = 2;
    lengths[256] = 2;
    lengths[257] = 2;
    return lengths;
}

TEST(Compression, ValidEdgeStreamsAreRead) {
    // One distance code of one bit (an incomplete code the RFC allows).
    Bytes one_distance =
        dynamic_block(small_literals(), {0, 1}, {{'a', -1}, {'b', -1}, {257, 1}, {256, -1}});
    EXPECT_EQ(inflate_ok(compress_inflate, one_distance), bytes_of("ababa"));
    // No distance code at all, in a block of literals only.
    Bytes no_distance = dynamic_block(small_literals(), {0}, {{'b', -1}, {'a', -1}, {256, -1}});
    EXPECT_EQ(inflate_ok(compress_inflate, no_distance), bytes_of("ba"));
    // A stream that ends between blocks, with no final block, its last byte
    // padded with zero bits.
    Bytes open = dynamic_block(small_literals(), {0}, {{'a', -1}, {256, -1}}, false);
    EXPECT_EQ(inflate_ok(compress_inflate, open), bytes_of("a"));
    // Stored blocks, empty and not, then a fixed block referring into them.
    Bytes stored = {0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x03, 0x00, 0xFC, 0xFF, 'x', 'y', 'z'};
    Bits fixed;
    fixed.put(1, 1);
    fixed.put(1, 2);
    fixed.code(1, 7); // length 3
    fixed.code(2, 5); // distance 3
    fixed.put(0, 7);
    Bytes tail = fixed.done();
    stored.insert(stored.end(), tail.begin(), tail.end());
    EXPECT_EQ(inflate_ok(compress_inflate, stored), bytes_of("xyzxyz"));
}

TEST(Compression, MalformedStreamsAreRefused) {
    std::vector<int> over = small_literals();
    over['c'] = 2; // five codes of two bits
    std::vector<int> incomplete = small_literals();
    incomplete[257] = 3;
    std::vector<int> no_end = small_literals();
    no_end[256] = 0;
    no_end['c'] = 2;
    Bits type3;
    type3.put(1, 1);
    type3.put(3, 2);
    Bits far;
    far.put(1, 1);
    far.put(1, 2);
    far.code(0x30 + 'a', 8);
    far.code(1, 7); // length 3
    far.code(1, 5); // distance 2, one byte back too far
    far.put(0, 7);
    Bits length286;
    length286.put(1, 1);
    length286.put(1, 2);
    length286.code(0xC6, 8);
    Bits distance30;
    distance30.put(1, 1);
    distance30.put(1, 2);
    distance30.code(0x30 + 'a', 8);
    distance30.code(1, 7);
    distance30.code(30, 5);
    // Code-length codes of two bits for 0, 1, 16 and 18 (00, 01, 10, 11): a
    // repeat of the previous length with none before it, and runs of zeros
    // past the 258 lengths of the block.
    auto code_length_header = [](Bits& b) {
        b.put(1, 1);
        b.put(2, 2);
        b.put(0, 5);
        b.put(0, 5);
        b.put(15, 4);
        const int order[] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        for (int s : order)
            b.put(s == 0 || s == 1 || s == 16 || s == 18 ? 2 : 0, 3);
    };
    Bits repeat_first;
    code_length_header(repeat_first);
    repeat_first.code(2, 2);
    repeat_first.put(0, 2);
    Bits repeat_past;
    code_length_header(repeat_past);
    repeat_past.code(1, 2);
    for (int i = 0; i < 2; i++) {
        repeat_past.code(3, 2);
        repeat_past.put(127, 7);
    }

    struct Case {
        const char* what;
        Bytes stream;
        int status;
    };
    const Case cases[] = {
        {"over-subscribed", dynamic_block(over, {1}, {{'a', -1}, {256, -1}}), kCompressBadCode},
        {"incomplete", dynamic_block(incomplete, {1}, {{'a', -1}, {256, -1}}), kCompressBadCode},
        {"no end code", dynamic_block(no_end, {1}, {{'a', -1}}), kCompressBadCode},
        {"length with no distance code",
         dynamic_block(small_literals(), {0}, {{'a', -1}, {257, -1}}), kCompressBadCode},
        {"repeat with no previous", repeat_first.done(), kCompressBadCode},
        {"repeat past the lengths", repeat_past.done(), kCompressBadCode},
        {"block type 3", type3.done(), kCompressBadBlockType},
        {"distance before the start", far.done(), kCompressBadDistance},
        {"length symbol 286", length286.done(), kCompressBadCode},
        {"distance symbol 30", distance30.done(), kCompressBadCode},
        {"stored past the input", {0x01, 0x05, 0x00, 0xFA, 0xFF, 'a', 'b'}, kCompressStoredPastEnd},
        {"stored header cut", {0x01, 0x05, 0x00}, kCompressTruncated},
    };
    for (const Case& c : cases)
        EXPECT_EQ(inflate_status(compress_inflate, c.stream), c.status) << c.what;
}

// A dynamic block of 'a' and then matches of 258 bytes at distance 1, each
// in two zero bits (length symbol 285 and distance 1 have one-bit codes).
Bytes repeated_matches(uint32_t matches) {
    std::vector<int> lengths(286, 0);
    lengths['a'] = 2;
    lengths[256] = 2;
    lengths[285] = 1;
    Bytes head = dynamic_block(lengths, {1}, {}, true);
    Bits b;
    b.out = head;
    b.out.pop_back(); // the header's last byte is rebuilt below
    int header_bits = 3 + 14 + 19 * 3 + 4 * (286 + 1);
    b.put(head.back(), header_bits % 8);
    b.code(2, 2); // 'a'
    for (uint32_t i = 0; i < matches; i++)
        b.put(0, 2);
    b.code(3, 2); // end of block
    return b.done();
}

TEST(Compression, OutputsOf2GBAreRefusedWhileMeasuring) {
    Bytes small = repeated_matches(1000);
    int32_t size = 0;
    EXPECT_EQ(compress_inflate(nullptr, &size, small.data(), static_cast<int32_t>(small.size())),
              kCompressNoRoom);
    EXPECT_EQ(size, 1 + 258 * 1000);
    // About 2 MB that would decode to just over 2^31 bytes.
    Bytes bomb = repeated_matches((1u << 31) / 258 + 2);
    size = 0;
    EXPECT_EQ(compress_inflate(nullptr, &size, bomb.data(), static_cast<int32_t>(bomb.size())),
              kCompressTooLarge);
}

TEST(Compression, EveryCutOfAStreamIsRefused) {
    Bytes in = samples()[6];
    in.resize(5000);
    for (int level : {0, 1, 6, 9}) {
        Bytes raw = zlib_compress(in, level, Z_DEFAULT_STRATEGY, -15);
        Bytes z = zlib_compress(in, level, Z_DEFAULT_STRATEGY, 15);
        Bytes gz = zlib_compress(in, level, Z_DEFAULT_STRATEGY, 31);
        for (size_t n = 0; n < raw.size(); n++) {
            Bytes cut(raw.begin(), raw.begin() + static_cast<long>(n));
            Bytes out(in.size() + 16);
            auto size = static_cast<int32_t>(out.size());
            int status = compress_inflate(out.data(), &size, cut.data(), static_cast<int32_t>(n));
            // A cut between blocks ends cleanly: only a true prefix of the
            // data may come out then.
            if (status == kCompressOk) {
                ASSERT_LT(static_cast<size_t>(size), in.size()) << level << " " << n;
                ASSERT_TRUE(std::equal(out.begin(), out.begin() + size, in.begin())) << n;
            }
        }
        for (const Bytes* s : {&z, &gz}) {
            Entry f = s == &z ? compress_zlib_inflate : compress_gunzip;
            for (size_t n = 0; n < s->size(); n++) {
                Bytes cut(s->begin(), s->begin() + static_cast<long>(n));
                EXPECT_NE(inflate_status(f, cut), kCompressOk) << level << " " << n;
            }
        }
    }
}

TEST(Compression, WrappersCheckTheirHeadersSumsAndSizes) {
    Bytes in = bytes_of("The wrappers check what they carry.");
    Bytes z = deflate(compress_zlib_deflate, in);
    Bytes gz = deflate(compress_gzip, in);
    auto changed = [](Bytes b, size_t at, uint8_t value) {
        b[at] = value;
        return b;
    };
    Bytes with_dictionary = changed(z, 1, 0x20); // 0x7820 = 31 x 992, with FDICT
    const std::pair<const char*, Bytes> zlib_cases[] = {
        {"check bits", changed(z, 1, 0x02)},
        {"method", changed(z, 0, 0x79)},
        {"dictionary", with_dictionary},
        {"adler", changed(z, z.size() - 1, z.back() ^ 1)},
        {"short", Bytes(z.begin(), z.begin() + 5)},
    };
    for (const auto& [what, stream] : zlib_cases)
        EXPECT_EQ(inflate_status(compress_zlib_inflate, stream), kCompressBadWrapper) << what;

    Bytes huge_size = gz;
    huge_size[gz.size() - 1] = 0x7F; // ISIZE of about 2 GB from 40 bytes
    Bytes smaller_size = changed(gz, gz.size() - 4, static_cast<uint8_t>(in.size() - 1));
    Bytes larger_size = changed(gz, gz.size() - 4, static_cast<uint8_t>(in.size() + 1));
    const std::pair<const char*, Bytes> gzip_cases[] = {
        {"magic", changed(gz, 0, 0x1E)},
        {"method", changed(gz, 2, 0x07)},
        {"reserved flag", changed(gz, 3, 0x20)},
        {"crc", changed(gz, gz.size() - 8, gz[gz.size() - 8] ^ 1)},
        {"size below", smaller_size},
        {"size above", larger_size},
        {"size of gigabytes", huge_size},
        {"17 bytes", Bytes(gz.begin(), gz.begin() + 17)},
        {"unterminated name",
         bytes_of(std::string("\x1F\x8B\x08\x08\0\0\0\0\0\x03", 10) + "abcdefghij")},
        {"extra past the end", changed(changed(gz, 3, 0x04), 11, 0x40)},
        {"header crc", changed(gz, 3, 0x02)},
    };
    for (const auto& [what, stream] : gzip_cases) {
        Bytes out(1 << 16);
        auto size = static_cast<int32_t>(out.size());
        EXPECT_EQ(
            compress_gunzip(out.data(), &size, stream.data(), static_cast<int32_t>(stream.size())),
            kCompressBadWrapper)
            << what;
    }
    // A good header with every optional field: extra, name, comment, CRC.
    Bytes full = {0x1F, 0x8B, 0x08, 0x1E, 0, 0, 0, 0, 0, 3, 2, 0, 'x', 'y', 'n', 0, 'c', 0};
    uint32_t crc = checksum_crc32(full.data(), full.size());
    full.push_back(static_cast<uint8_t>(crc));
    full.push_back(static_cast<uint8_t>(crc >> 8));
    full.insert(full.end(), gz.begin() + 10, gz.end());
    EXPECT_EQ(inflate_ok(compress_gunzip, full), in);
    full[19] ^= 1;
    EXPECT_EQ(inflate_status(compress_gunzip, full), kCompressBadWrapper);
}

} // namespace
