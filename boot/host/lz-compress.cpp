#include "boot/host/lz-compress.h"

#include <algorithm>

#include "boot/lz/lz-decompress.h"

namespace xel {

namespace {

constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 566;
constexpr uint32_t kMaxDistance = 1u << 18;
constexpr uint32_t kHashBits = 15;
constexpr int kChainLimit = 64;

struct BitWriter {
    std::vector<uint8_t>& out;
    uint32_t bits = 0;
    int count = 0;

    void put(uint32_t v, int n) {
        for (int i = 0; i < n; i++) {
            bits |= ((v >> i) & 1u) << count;
            if (++count == 8) {
                out.push_back(static_cast<uint8_t>(bits));
                bits = 0;
                count = 0;
            }
        }
    }
    void flush() {
        if (count) out.push_back(static_cast<uint8_t>(bits));
        bits = 0;
        count = 0;
    }
};

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; i++)
        out.push_back(static_cast<uint8_t>(v >> 8 * i));
}

void put_length(BitWriter& w, uint32_t l) {
    static constexpr struct {
        uint32_t limit;
        int prefix_zeros;
        int width;
        uint32_t base;
    } kCodes[] = {{4, 0, 2, 0}, {8, 1, 2, 4}, {12, 2, 2, 8}, {20, 3, 3, 12}, {52, 4, 5, 20}};
    for (const auto& code : kCodes)
        if (l < code.limit) {
            w.put(0, code.prefix_zeros);
            w.put(1, 1);
            w.put(l - code.base, code.width);
            return;
        }
    w.put(0, 5);
    w.put(l - 52, 9);
}

void put_distance(BitWriter& w, uint32_t d) {
    if (d < 8) {
        w.put(0, 4);
        w.put(d, 3);
        return;
    }
    int j = 31 - __builtin_clz(d);
    w.put(static_cast<uint32_t>(j - 2), 4);
    w.put(d - (1u << j), j);
}

uint32_t hash3(const uint8_t* p) {
    uint32_t v = p[0] | p[1] << 8 | p[2] << 16;
    return (v * 2654435761u) >> (32 - kHashBits);
}

void compress_block(const uint8_t* data, uint32_t n, std::vector<uint8_t>& out) {
    put_u32(out, n);
    BitWriter w{out};
    std::vector<int32_t> head(1u << kHashBits, -1), prev(n, -1);
    uint32_t i = 0;
    auto insert = [&](uint32_t k) {
        if (k + kMinMatch > n) return;
        uint32_t h = hash3(data + k);
        prev[k] = head[h];
        head[h] = static_cast<int32_t>(k);
    };
    while (i < n) {
        uint32_t best = 0, best_from = 0;
        if (i + kMinMatch <= n) {
            int32_t c = head[hash3(data + i)];
            uint32_t limit = std::min(kMaxMatch, n - i);
            for (int tries = 0; c >= 0 && tries < kChainLimit; tries++, c = prev[c]) {
                auto from = static_cast<uint32_t>(c);
                if (i - from > kMaxDistance) break;
                uint32_t l = 0;
                while (l < limit && data[from + l] == data[i + l])
                    l++;
                if (l > best) {
                    best = l;
                    best_from = from;
                }
            }
        }
        if (best >= kMinMatch) {
            w.put(1, 1);
            put_length(w, best - kMinMatch);
            put_distance(w, i - best_from - 1);
            for (uint32_t k = 0; k < best; k++)
                insert(i + k);
            i += best;
        } else {
            w.put(0, 1);
            w.put(data[i], 8);
            insert(i);
            i++;
        }
    }
    w.flush();
}

} // namespace

std::vector<uint8_t> lz_compress(const uint8_t* data, uint32_t size) {
    std::vector<uint8_t> out(8, 0);
    for (uint32_t at = 0; at < size; at += kLzMaxBlock)
        compress_block(data + at, std::min(kLzMaxBlock, size - at), out);
    uint32_t area = static_cast<uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; i++) {
        out[i] = static_cast<uint8_t>(area >> 8 * i);
        out[4 + i] = static_cast<uint8_t>(size >> 8 * i);
    }
    return out;
}

} // namespace xel
