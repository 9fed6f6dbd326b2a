#include "boot/lz/lz-decompress.h"

#include "runtime/core/heap.h"

namespace xel {

namespace {

// A match copies at most 566 bytes for no less than 22 bits of code: no
// valid stream inflates to more than 566 x 8 / 22 (under 206) bytes per byte
// of its block area, so a header claiming more is corrupt and is refused
// before any allocation.
constexpr uint64_t kMaxRatio = 206;

uint32_t read_u32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct BitReader {
    const uint8_t* pos;
    const uint8_t* end;
    uint32_t bits = 0;
    int count = 0;
    bool overrun = false;

    // n bits, low bit first; past the end yields zeros and flags the overrun.
    uint32_t read(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; i++) {
            if (count == 0) {
                if (pos >= end) {
                    overrun = true;
                    return 0;
                }
                bits = *pos++;
                count = 8;
            }
            v |= (bits & 1u) << i;
            bits >>= 1;
            count--;
        }
        return v;
    }
};

// The copy length less 3 (0 to 563).
uint32_t read_length(BitReader& in) {
    static constexpr struct {
        int width;
        uint32_t base;
    } kCodes[] = {{2, 0}, {2, 4}, {2, 8}, {3, 12}, {5, 20}};
    for (const auto& code : kCodes)
        if (in.read(1)) return code.base + in.read(code.width);
    return 52 + in.read(9);
}

// The distance less 1 (0 to 262,143).
uint32_t read_distance(BitReader& in) {
    int j = static_cast<int>(in.read(4)) + 2;
    if (j == 2) return in.read(3);
    return in.read(j) + (1u << j);
}

// Inflates one block of n bytes into out; false when corrupt.
bool inflate_block(BitReader& in, uint8_t* out, uint32_t n) {
    uint32_t done = 0;
    while (done < n) {
        if (!in.read(1)) {
            out[done++] = static_cast<uint8_t>(in.read(8));
        } else {
            uint32_t length = read_length(in) + 3;
            uint32_t distance = read_distance(in);
            if (distance >= done || length > n - done) return false;
            const uint8_t* from = out + done - distance - 1;
            for (uint32_t i = 0; i < length; i++)
                out[done + i] = from[i];
            done += length;
        }
        if (in.overrun) return false;
    }
    return true;
}

} // namespace

uint8_t* lz_decompress(const uint8_t* stream, size_t length, uint32_t* out_size) {
    if (length < 8) return nullptr;
    uint32_t area = read_u32(stream);
    uint32_t inflated = read_u32(stream + 4);
    if (area > length - 8 || inflated > area * kMaxRatio) return nullptr;
    auto* out = static_cast<uint8_t*>(heap_alloc(static_cast<size_t>(inflated) + 8));
    const uint8_t* pos = stream + 8;
    const uint8_t* end = pos + area;
    uint32_t used = 0;
    bool corrupt = false;
    while (pos < end && !corrupt) {
        uint32_t n = end - pos >= 4 ? read_u32(pos) : 0;
        corrupt = n < 1 || n > kLzMaxBlock || n > inflated - used;
        if (corrupt) break;
        BitReader in{pos + 4, end};
        corrupt = !inflate_block(in, out + used, n);
        used += n;
        pos = in.pos;
    }
    if (corrupt) {
        heap_free(out);
        return nullptr;
    }
    if (out_size) *out_size = used;
    return out;
}

void lz_free(uint8_t* buffer) {
    heap_free(buffer);
}

} // namespace xel
