// The DEFLATE reader. Huffman codes are decoded through lookup tables built
// per block in the call's frame: a primary table indexed by the next bits of
// the stream, and for codes longer than it a subtable per prefix. Bytes at
// or past the capacity are counted, not stored, so a null output measures.
#include <cstring>

#include "services/compression/compression.h"
#include "services/compression/deflate-tables.h"

namespace xel {

namespace {

using namespace deflate;

// A table entry: bits 0-4 the bits to consume, 5-7 the kind, 8-11 the extra
// bits, 16-31 the value (literal byte, base length or distance, code length
// symbol, or a subtable's start for kSub, whose bits 0-4 are its index bits).
enum Kind : uint32_t { kLiteral = 0, kBase = 1, kEnd = 2, kSub = 3, kInvalid = 4 };

constexpr uint32_t entry(uint32_t kind, uint32_t bits, uint32_t extra, uint32_t value) {
    return bits | kind << 5 | extra << 8 | value << 16;
}
inline uint32_t entry_bits(uint32_t e) {
    return e & 31;
}
inline uint32_t entry_kind(uint32_t e) {
    return (e >> 5) & 7;
}
inline uint32_t entry_extra(uint32_t e) {
    return (e >> 8) & 15;
}
inline uint32_t entry_value(uint32_t e) {
    return e >> 16;
}

constexpr int kMaxCodeLength = 15;
constexpr int kLiteralSymbols = 288;
constexpr int kDistSymbols = 32;
constexpr int kLiteralPrimary = 10;
constexpr int kDistPrimary = 8;
constexpr int kCodeLengthPrimary = 7;
// Room for the primary table and a subtable of the widest kind for every
// symbol that may have a long code.
constexpr int kLiteralTableSize =
    (1 << kLiteralPrimary) + kLiteralSymbols * (1 << (15 - kLiteralPrimary));
constexpr int kDistTableSize = (1 << kDistPrimary) + kDistSymbols * (1 << (15 - kDistPrimary));

// What a symbol of each alphabet decodes to (bits are filled in per code).
uint32_t literal_meaning(int s) {
    if (s < 256) return entry(kLiteral, 0, 0, static_cast<uint32_t>(s));
    if (s == 256) return entry(kEnd, 0, 0, 0);
    if (s < 257 + kLengthSymbols)
        return entry(kBase, 0, kLengthExtra[s - 257], kLengthBase[s - 257]);
    return entry(kInvalid, 0, 0, 0);
}
uint32_t distance_meaning(int s) {
    if (s < kDistanceSymbols) return entry(kBase, 0, kDistanceExtra[s], kDistanceBase[s]);
    return entry(kInvalid, 0, 0, 0);
}
uint32_t code_length_meaning(int s) {
    return entry(kLiteral, 0, 0, static_cast<uint32_t>(s));
}

enum class Completeness { Strict, SingleCodeAllowed };

// Builds the decoding table of a canonical code from its code lengths.
// Refuses an over-subscribed code, and an incomplete one unless allowed
// (one code of one bit, or none: a block may use no distance at all).
bool build_table(uint32_t* table, int primary, const uint8_t* lengths, int n,
                 uint32_t (*meaning)(int), Completeness completeness) {
    int count[kMaxCodeLength + 1] = {};
    for (int s = 0; s < n; s++)
        count[lengths[s]]++;
    count[0] = 0;
    int left = 1;
    int max_length = 0;
    int total = 0;
    for (int len = 1; len <= kMaxCodeLength; len++) {
        left = (left << 1) - count[len];
        if (left < 0) return false;
        if (count[len]) max_length = len;
        total += count[len];
    }
    if (left > 0 &&
        (completeness == Completeness::Strict || !(total == 0 || (total == 1 && count[1] == 1))))
        return false;

    uint32_t next_code[kMaxCodeLength + 1];
    uint32_t code = 0;
    for (int len = 1; len <= kMaxCodeLength; len++) {
        code = (code + static_cast<uint32_t>(count[len - 1])) << 1;
        next_code[len] = code;
    }
    const uint32_t invalid = entry(kInvalid, 0, 0, 0);
    for (int i = 0; i < (1 << primary); i++)
        table[i] = invalid;
    int sub_bits = max_length > primary ? max_length - primary : 0;
    uint32_t sub_next = 1u << primary;
    for (int s = 0; s < n; s++) {
        int len = lengths[s];
        if (!len) continue;
        uint32_t r = reverse_bits(next_code[len]++, len);
        uint32_t meaning_of = meaning(s);
        if (len <= primary) {
            uint32_t e = meaning_of | static_cast<uint32_t>(len);
            for (uint32_t i = r; i < (1u << primary); i += 1u << len)
                table[i] = e;
            continue;
        }
        uint32_t prefix = r & ((1u << primary) - 1);
        if (entry_kind(table[prefix]) != kSub) {
            table[prefix] = entry(kSub, static_cast<uint32_t>(sub_bits), 0, sub_next);
            for (uint32_t i = 0; i < (1u << sub_bits); i++)
                table[sub_next + i] = invalid;
            sub_next += 1u << sub_bits;
        }
        uint32_t* sub = table + entry_value(table[prefix]);
        int rest = len - primary;
        uint32_t e = meaning_of | static_cast<uint32_t>(rest);
        for (uint32_t i = r >> primary; i < (1u << sub_bits); i += 1u << rest)
            sub[i] = e;
    }
    return true;
}

struct FixedTables {
    uint32_t literal[1 << kLiteralPrimary];
    uint32_t distance[1 << kDistPrimary];

    FixedTables() {
        uint8_t lengths[kLiteralSymbols];
        for (int s = 0; s < kLiteralSymbols; s++)
            lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
        build_table(literal, kLiteralPrimary, lengths, kLiteralSymbols, literal_meaning,
                    Completeness::Strict);
        std::memset(lengths, 5, kDistSymbols);
        build_table(distance, kDistPrimary, lengths, kDistSymbols, distance_meaning,
                    Completeness::Strict);
    }
};

const FixedTables& fixed_tables() {
    static const FixedTables tables;
    return tables;
}

// The reader's state. The bit buffer holds count bits, least significant
// first; past the end of the input it is filled with zero bytes, counted in
// past, and reading any of them means the stream was cut short.
struct Inflater {
    const uint8_t* in;
    const uint8_t* end;
    uint64_t bits = 0;
    uint32_t count = 0;
    uint32_t past = 0;
    uint8_t* out;
    uint64_t capacity;
    uint64_t position = 0;

    void refill() {
        if (end - in >= 8) {
            uint64_t word;
            std::memcpy(&word, in, 8);
            bits |= word << count;
            in += (63 - count) >> 3;
            count |= 56;
            return;
        }
        while (count <= 56) {
            if (in < end)
                bits |= static_cast<uint64_t>(*in++) << count;
            else
                past++;
            count += 8;
        }
    }
    bool overran() const { return count < 8 * past; }
    uint32_t take(uint32_t n) {
        auto v = static_cast<uint32_t>(bits & ((uint64_t{1} << n) - 1));
        bits >>= n;
        count -= n;
        return v;
    }
    // The next symbol's entry, its bits consumed; at least 15 bits are held.
    uint32_t decode(const uint32_t* table, int primary) {
        uint32_t e = table[bits & ((1u << primary) - 1)];
        if (entry_kind(e) == kSub) {
            bits >>= primary;
            count -= static_cast<uint32_t>(primary);
            e = table[entry_value(e) + (bits & ((1u << entry_bits(e)) - 1))];
        }
        uint32_t n = entry_bits(e);
        bits >>= n;
        count -= n;
        return e;
    }
    // True when the input is consumed and all that is left of it is the
    // zero padding of its last byte.
    bool at_end() const {
        if (in != end || count >= 8 * past + 8) return false;
        uint32_t left = count > 8 * past ? count - 8 * past : 0;
        return (bits & ((uint64_t{1} << left) - 1)) == 0;
    }

    int stored_block();
    int dynamic_tables(uint32_t* literal, uint32_t* distance);
    int data(const uint32_t* literal, const uint32_t* distance);
};

int Inflater::stored_block() {
    take(count & 7);
    refill();
    uint32_t length = take(16);
    take(16); // NLEN, the complement of LEN, is not compared
    if (overran()) return kCompressTruncated;
    // Give back the whole bytes still held, less the zero bytes past the end.
    in -= count / 8 - past;
    bits = 0;
    count = 0;
    past = 0;
    if (static_cast<uint64_t>(end - in) < length) return kCompressStoredPastEnd;
    if (position + length > 0x7FFFFFFF) return kCompressTooLarge;
    if (position < capacity) {
        uint64_t room = capacity - position;
        std::memcpy(out + position, in, room < length ? room : length);
    }
    position += length;
    in += length;
    return kCompressOk;
}

int Inflater::dynamic_tables(uint32_t* literal, uint32_t* distance) {
    refill();
    int literals = static_cast<int>(take(5)) + 257;
    int distances = static_cast<int>(take(5)) + 1;
    int code_lengths = static_cast<int>(take(4)) + 4;
    uint8_t lengths[kLiteralSymbols + kDistSymbols] = {};
    for (int i = 0; i < code_lengths; i++) {
        refill();
        lengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(take(3));
    }
    if (overran()) return kCompressTruncated;
    uint32_t code_length_table[1 << kCodeLengthPrimary];
    if (!build_table(code_length_table, kCodeLengthPrimary, lengths, 19, code_length_meaning,
                     Completeness::Strict))
        return kCompressBadCode;

    std::memset(lengths, 0, sizeof lengths);
    int total = literals + distances;
    for (int i = 0; i < total;) {
        refill();
        uint32_t e = decode(code_length_table, kCodeLengthPrimary);
        if (overran()) return kCompressTruncated;
        if (entry_kind(e) == kInvalid) return kCompressBadCode;
        uint32_t symbol = entry_value(e);
        if (symbol < 16) {
            lengths[i++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t repeated = 0;
        uint32_t times;
        if (symbol == 16) {
            if (i == 0) return kCompressBadCode;
            repeated = lengths[i - 1];
            times = 3 + take(2);
        } else if (symbol == 17) {
            times = 3 + take(3);
        } else {
            times = 11 + take(7);
        }
        if (overran()) return kCompressTruncated;
        if (i + static_cast<int>(times) > total) return kCompressBadCode;
        while (times--)
            lengths[i++] = repeated;
    }
    // A block without an end code could never end.
    if (lengths[256] == 0) return kCompressBadCode;
    if (!build_table(literal, kLiteralPrimary, lengths, literals, literal_meaning,
                     Completeness::SingleCodeAllowed) ||
        !build_table(distance, kDistPrimary, lengths + literals, distances, distance_meaning,
                     Completeness::SingleCodeAllowed))
        return kCompressBadCode;
    return kCompressOk;
}

int Inflater::data(const uint32_t* literal, const uint32_t* distance) {
    for (;;) {
        refill();
        uint32_t e = decode(literal, kLiteralPrimary);
        uint32_t kind = entry_kind(e);
        if (kind == kLiteral) {
            if (position < capacity) out[position] = static_cast<uint8_t>(entry_value(e));
            position++;
            if (past && overran()) return kCompressTruncated;
            continue;
        }
        if (kind != kBase) {
            if (past && overran()) return kCompressTruncated;
            return kind == kEnd ? kCompressOk : kCompressBadCode;
        }
        uint32_t length = entry_value(e) + take(entry_extra(e));
        e = decode(distance, kDistPrimary);
        if (entry_kind(e) != kBase)
            return past && overran() ? kCompressTruncated : kCompressBadCode;
        uint32_t dist = entry_value(e) + take(entry_extra(e));
        if (past && overran()) return kCompressTruncated;
        if (dist > position) return kCompressBadDistance;
        if (position + length + 8 <= capacity) {
            uint8_t* to = out + position;
            const uint8_t* from = to - dist;
            if (dist >= 8) {
                uint8_t* stop = to + length;
                do {
                    std::memcpy(to, from, 8);
                    to += 8;
                    from += 8;
                } while (to < stop);
            } else if (dist == 1) {
                std::memset(to, *from, length);
            } else {
                for (uint32_t i = 0; i < length; i++)
                    to[i] = from[i];
            }
        } else if (position < capacity) {
            uint64_t stop = position + length < capacity ? position + length : capacity;
            for (uint64_t i = position; i < stop; i++)
                out[i] = out[i - dist];
        }
        position += length;
        if (position > 0x7FFFFFFF) return kCompressTooLarge;
    }
}

} // namespace

int compress_inflate(uint8_t* out, int32_t* size, const uint8_t* in, int32_t length) {
    Inflater s;
    s.in = in;
    s.end = in + (length > 0 ? length : 0);
    s.out = out;
    s.capacity = *size > 0 ? static_cast<uint64_t>(*size) : 0;
    uint32_t literal[kLiteralTableSize];
    uint32_t distance[kDistTableSize];
    bool final_block = false;
    int status = kCompressOk;
    while (!final_block && status == kCompressOk) {
        // A stream that ends between blocks ends as after a final one.
        if (s.at_end()) break;
        s.refill();
        final_block = s.take(1);
        uint32_t type = s.take(2);
        if (s.overran()) {
            status = kCompressTruncated;
        } else if (type == 0) {
            status = s.stored_block();
        } else if (type == 1) {
            status = s.data(fixed_tables().literal, fixed_tables().distance);
        } else if (type == 2) {
            status = s.dynamic_tables(literal, distance);
            if (status == kCompressOk) status = s.data(literal, distance);
        } else {
            status = kCompressBadBlockType;
        }
    }
    if (status != kCompressOk) return status;
    if (s.position > 0x7FFFFFFF) return kCompressTooLarge;
    *size = static_cast<int32_t>(s.position);
    return s.position > s.capacity ? kCompressNoRoom : kCompressOk;
}

} // namespace xel
