// The DEFLATE alphabets of RFC 1951 shared by the writer and the reader: the
// base and extra bits of the length symbols 257-285 and of the distance
// symbols 0-29, and the order in which code-length code lengths are sent.
#pragma once
#include <cstdint>

namespace xel::deflate {

constexpr int kLengthSymbols = 29;
constexpr uint16_t kLengthBase[kLengthSymbols] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                  15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[kLengthSymbols] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

constexpr int kDistanceSymbols = 30;
constexpr uint16_t kDistanceBase[kDistanceSymbols] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[kDistanceSymbols] = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                      4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                      9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

constexpr int kMaxMatch = 258;
constexpr int kMinMatch = 3;
constexpr uint32_t kWindow = 32768;

// The code in its low bits, reversed: DEFLATE sends Huffman codes most
// significant bit first into a stream read least significant bit first.
constexpr uint32_t reverse_bits(uint32_t code, int length) {
    uint32_t r = 0;
    for (int i = 0; i < length; i++) {
        r = r << 1 | (code & 1);
        code >>= 1;
    }
    return r;
}

} // namespace xel::deflate
