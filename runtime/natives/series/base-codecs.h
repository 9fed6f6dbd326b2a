// The text encodings of bytes behind enbase and debase: bases 2, 16, 58 and
// 64. They work on plain memory and never allocate series, so the caller
// decides where text and bytes live.
#pragma once
#include <cstdint>
#include <vector>

namespace xel {

// Decoders over text in units of 1, 2 or 4 bytes: characters up to the blank
// are skipped, and in bases 2 and 16 a ";" starts a comment that runs to the
// end of the line. They append the bytes to out and answer false when the
// text holds a character that is not valid in the base.
// Base 2: eight digits give a byte (a last incomplete byte is dropped).
bool binary_decode_base2(const uint8_t* text, uint32_t length, uint32_t unit,
                         std::vector<uint8_t>& out);
// Base 16: two digits give a byte, either case (a last single digit is dropped).
bool binary_decode_base16(const uint8_t* text, uint32_t length, uint32_t unit,
                          std::vector<uint8_t>& out);
// Base 58: a leading "1" gives a zero byte; the rest is a big-endian number.
bool binary_decode_base58(const uint8_t* text, uint32_t length, uint32_t unit,
                          std::vector<uint8_t>& out);
// Base 64 (RFC 4648): four characters give three bytes; "=" ends the text,
// after the second or third character of a group only.
bool binary_decode_base64(const uint8_t* text, uint32_t length, uint32_t unit,
                          std::vector<uint8_t>& out);

// Encoders: write the text of n bytes from out on and answer the end of what
// they wrote. The caller makes the room: base 2 8 x n, base 16 2 x n,
// base 58 2 x n, base 64 4 x ((n + 2) / 3) characters.
// Base 2: eight digits per byte, the most significant bit first.
uint8_t* binary_encode_base2(const uint8_t* bytes, uint32_t n, uint8_t* out);
// Base 16: two upper-case digits per byte.
uint8_t* binary_encode_base16(const uint8_t* bytes, uint32_t n, uint8_t* out);
// Base 58: one "1" per leading zero byte, then the digits of the number.
uint8_t* binary_encode_base58(const uint8_t* bytes, uint32_t n, uint8_t* out);
// Base 64 with "=" padding and no line breaks.
uint8_t* binary_encode_base64(const uint8_t* bytes, uint32_t n, uint8_t* out);

} // namespace xel
