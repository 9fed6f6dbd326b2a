// The DEFLATE writer: the whole input as one final block with the fixed
// Huffman codes. Matches come from a table of 1,024 buckets of 4 earlier
// token starts, hashed from three bytes; the first candidate that agrees in
// three bytes and lies within the window is taken, never the longest.
#include <array>
#include <cstring>

#include "services/compression/compression.h"
#include "services/compression/deflate-tables.h"

namespace xel {

namespace {

using namespace deflate;

// A fixed-code item ready to send: its bits (Huffman code reversed, then
// the extra bits) and how many there are.
struct Code {
    uint32_t bits;
    uint32_t count;
};

struct FixedCodes {
    std::array<Code, 256> literal;
    std::array<Code, kMaxMatch + 1> length; // by match length, 3 to 258
    std::array<uint8_t, 512>
        distance_symbol; // by distance - 1 below 256, then by (distance - 1) >> 7
};

// Fixed literal/length code of a symbol: 0-143 in 8 bits from 0x30, 144-255
// in 9 from 0x190, 256-279 in 7 from 0, 280-287 in 8 from 0xC0.
constexpr Code fixed_symbol(uint32_t s) {
    if (s < 144) return {reverse_bits(0x30 + s, 8), 8};
    if (s < 256) return {reverse_bits(0x190 + s - 144, 9), 9};
    if (s < 280) return {reverse_bits(s - 256, 7), 7};
    return {reverse_bits(0xC0 + s - 280, 8), 8};
}

constexpr FixedCodes make_codes() {
    FixedCodes t{};
    for (uint32_t b = 0; b < 256; b++)
        t.literal[b] = fixed_symbol(b);
    for (int s = 0; s < kLengthSymbols; s++) {
        Code c = fixed_symbol(257 + static_cast<uint32_t>(s));
        int last = s + 1 < kLengthSymbols ? kLengthBase[s + 1] - 1 : kMaxMatch;
        for (int len = kLengthBase[s]; len <= last; len++)
            t.length[len] = {c.bits | static_cast<uint32_t>(len - kLengthBase[s]) << c.count,
                             c.count + kLengthExtra[s]};
    }
    for (int s = 0; s < kDistanceSymbols; s++) {
        uint32_t last = s + 1 < kDistanceSymbols ? kDistanceBase[s + 1] - 1u : kWindow;
        for (uint32_t d = kDistanceBase[s]; d <= last; d++) {
            if (d <= 256)
                t.distance_symbol[d - 1] = static_cast<uint8_t>(s);
            else if (((d - 1) & 127) == 0)
                t.distance_symbol[256 + ((d - 1) >> 7)] = static_cast<uint8_t>(s);
        }
    }
    return t;
}

constexpr FixedCodes kCodes = make_codes();

// Bits go in least significant first; whole bytes leave as they are ready.
// A byte at or past the capacity is not stored, but still counted.
struct BitWriter {
    uint8_t* out;
    uint64_t capacity;
    uint64_t position = 0;
    uint64_t bits = 0;
    uint32_t count = 0;

    void put(uint32_t value, uint32_t n) {
        bits |= static_cast<uint64_t>(value) << count;
        count += n;
        if (count >= 32) flush_word();
    }

    void flush_word() {
        if (position + 4 <= capacity) {
            auto word = static_cast<uint32_t>(bits);
            std::memcpy(out + position, &word, 4);
        } else {
            for (uint64_t i = 0; i < 4; i++)
                if (position + i < capacity)
                    out[position + i] = static_cast<uint8_t>(bits >> (8 * i));
        }
        position += 4;
        bits >>= 32;
        count -= 32;
    }

    // The pending bits, the last byte padded with zero bits.
    void finish() {
        while (count > 0) {
            if (position < capacity) out[position] = static_cast<uint8_t>(bits);
            position++;
            bits >>= 8;
            count = count > 8 ? count - 8 : 0;
        }
    }
};

constexpr int kBuckets = 1024;
constexpr int kSlots = 4;

uint32_t bucket_of(uint32_t v) {
    uint32_t h = v ^ (v >> 16);
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h & (kBuckets - 1);
}

// The three bytes at p as a big-endian number, zero bytes past the end.
uint32_t three_bytes(const uint8_t* in, uint32_t length, uint32_t p) {
    if (p + 2 < length) return uint32_t{in[p]} << 16 | uint32_t{in[p + 1]} << 8 | in[p + 2];
    uint32_t b0 = p < length ? in[p] : 0;
    uint32_t b1 = p + 1 < length ? in[p + 1] : 0;
    uint32_t b2 = p + 2 < length ? in[p + 2] : 0;
    return b0 << 16 | b1 << 8 | b2;
}

// Bytes from 3 up on which a and b agree, at most limit.
uint32_t match_length(const uint8_t* a, const uint8_t* b, uint32_t limit) {
    uint32_t len = kMinMatch;
    while (len + 8 <= limit) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y) return len + static_cast<uint32_t>(__builtin_ctzll(x ^ y) >> 3);
        len += 8;
    }
    while (len < limit && a[len] == b[len])
        len++;
    return len;
}

void put_match(BitWriter& w, uint32_t length, uint32_t distance) {
    const Code& lc = kCodes.length[length];
    w.put(lc.bits, lc.count);
    uint32_t d = distance - 1;
    int s = d < 256 ? kCodes.distance_symbol[d] : kCodes.distance_symbol[256 + (d >> 7)];
    uint32_t extra = distance - kDistanceBase[s];
    w.put(reverse_bits(static_cast<uint32_t>(s), 5) | extra << 5, 5u + kDistanceExtra[s]);
}

} // namespace

int compress_deflate(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length) {
    // Token start + 1 in each slot; 0 is an empty slot.
    uint32_t table[kBuckets][kSlots] = {};
    BitWriter w{out, *size > 0 ? static_cast<uint64_t>(*size) : 0};
    w.put(1, 1); // final block
    w.put(1, 2); // fixed Huffman codes
    auto n = static_cast<uint32_t>(length > 0 ? length : 0);
    uint32_t p = 0;
    while (p < n) {
        uint32_t* bucket = table[bucket_of(three_bytes(in, n, p))];
        uint32_t token = 1;
        if (p >= kMinMatch && n - p >= kMinMatch) {
            for (int slot = 0; slot < kSlots; slot++) {
                uint32_t q = bucket[slot];
                if (q == 0) continue;
                q--;
                if (q < p && p < q + kWindow && in[q] == in[p] && in[q + 1] == in[p + 1] &&
                    in[q + 2] == in[p + 2]) {
                    uint32_t limit = n - p < kMaxMatch ? n - p : kMaxMatch;
                    token = match_length(in + q, in + p, limit);
                    put_match(w, token, p - q);
                    break;
                }
            }
        }
        if (token == 1) w.put(kCodes.literal[in[p]].bits, kCodes.literal[in[p]].count);
        uint32_t next = p + token;
        uint32_t v = three_bytes(in, n, next);
        bucket[((v >> 14) - v) & (kSlots - 1)] = p + 1;
        p = next;
    }
    w.put(0, 7); // end of block
    w.finish();
    if (w.position > 0x7FFFFFFF) return kCompressTooLarge;
    bool fits = w.position <= w.capacity;
    *size = static_cast<int32_t>(w.position);
    return fits ? kCompressOk : kCompressNoRoom;
}

} // namespace xel
