// Code points at the borders of the run-time: decoding and encoding of UTF-8
// and UTF-16LE one character at a time. Code points are signed 32-bit values.
#pragma once
#include <cstdint>

namespace xel {

// Results of utf8_decode_char_replacing besides a code point.
constexpr int32_t kUtf8TooShort = -1;
// A refused sequence; also the value of U+FFFE, which is refused for that reason.
constexpr int32_t kUtf8Refused = 0xFFFE;

// Decodes one well-formed sequence (no overlong forms, no surrogates, nothing
// above 0x10FFFF). Returns the address after it; *cp receives the code point or
// -1 when rejected (the address is then just after the offending byte). The
// caller guarantees the sequence lies in the input or the input ends with NUL.
const uint8_t* utf8_decode_char(const uint8_t* p, int32_t* cp);
// Sequences decoded from start while below end; each rejected one counts once.
uint32_t utf8_count_chars(const uint8_t* start, const uint8_t* end);
// Address after at most n sequences, never beyond end.
const uint8_t* utf8_skip_chars(const uint8_t* start, const uint8_t* end, uint32_t n);
// Length a lead byte announces: 4, 3 or 2 by its top bits set, else 0.
int utf8_lead_length(uint8_t lead);

// The lenient decoder of the string loaders: overlong forms are accepted, of the
// surrogates only 0xDC00 to 0xDCFF are refused. *avail holds the bytes available
// and receives the sequence's length on success. Returns the code point,
// kUtf8TooShort when the sequence runs past the input, or kUtf8Refused.
int32_t utf8_decode_char_replacing(const uint8_t* p, uint32_t* avail);

// Whether the bytes are whole UTF-8 sequences, as the strict decoder reads them.
bool utf8_valid(const uint8_t* p, const uint8_t* end);

// Encoded size of a code point; above 0x10FFFF raises script invalid-char.
int utf8_char_size(int32_t cp);
// Total UTF-8 size of the code points stored in units of the given size.
uint32_t utf8_size_of_units(const uint8_t* start, const uint8_t* end, uint32_t unit);
// Writes 1 to 4 bytes and returns their number; above 0x10FFFF: invalid-char.
// A negative code point is written as its low byte.
int utf8_encode_char(int32_t cp, uint8_t* out);
// As utf8_encode_char, writing only the leading bytes that fit in room.
int utf8_encode_char_bounded(int32_t cp, uint8_t* out, int room);

// One unit below 0x10000, a surrogate pair up to 0x10FFFF, nothing above; the count.
int utf16_encode_char(int32_t cp, char16_t* out);
// Copies each byte as a unit, then a zero unit.
void utf16_from_ascii(const char* text, char16_t* out);
// The narrowest string unit for n UTF-16 units: 4 when a surrogate is met,
// 2 when any unit is above 0xFF, else 1.
uint32_t utf16_pick_unit(const char16_t* units, uint32_t n);

// Windows-1251 byte to code point.
int32_t cp1251_to_code_point(uint8_t byte);

} // namespace xel
