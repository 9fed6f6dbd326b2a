#include "runtime/natives/series/base-codecs.h"

#include "runtime/datatypes/string/string.h"

namespace xel {

namespace {

constexpr char kBase58Digits[] = "123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz";
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The significant characters of a text: blanks and control characters
// skipped, and ";" comments when the base allows them.
class TextReader {
  public:
    TextReader(const uint8_t* text, uint32_t length, uint32_t unit, bool comments)
        : p_(text), end_(text + uint64_t{length} * unit), unit_(unit), comments_(comments) {}

    // The next character, or -1 at the end.
    int64_t next() {
        while (p_ < end_) {
            uint32_t c = get();
            if (c <= ' ') continue;
            if (comments_ && c == ';') {
                while (p_ < end_ && get() != '\n') {
                }
                continue;
            }
            return c;
        }
        return -1;
    }

  private:
    uint32_t get() {
        uint32_t c = string_get_char(p_, unit_);
        p_ += unit_;
        return c;
    }

    const uint8_t* p_;
    const uint8_t* end_;
    uint32_t unit_;
    bool comments_;
};

int hex_value(int64_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    return -1;
}

int digit_in(const char* digits, int64_t c) {
    if (c <= ' ' || c > '~') return -1;
    for (int i = 0; digits[i]; i++)
        if (digits[i] == c) return i;
    return -1;
}

} // namespace

bool binary_decode_base2(const uint8_t* text, uint32_t length, uint32_t unit,
                         std::vector<uint8_t>& out) {
    TextReader r(text, length, unit, true);
    uint32_t byte = 0;
    int bits = 0;
    for (int64_t c; (c = r.next()) >= 0;) {
        if (c != '0' && c != '1') return false;
        byte = byte << 1 | static_cast<uint32_t>(c - '0');
        if (++bits == 8) {
            out.push_back(static_cast<uint8_t>(byte));
            byte = 0;
            bits = 0;
        }
    }
    return true;
}

bool binary_decode_base16(const uint8_t* text, uint32_t length, uint32_t unit,
                          std::vector<uint8_t>& out) {
    TextReader r(text, length, unit, true);
    int high = -1;
    for (int64_t c; (c = r.next()) >= 0;) {
        int v = hex_value(c);
        if (v < 0) return false;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<uint8_t>(high << 4 | v));
            high = -1;
        }
    }
    return true;
}

bool binary_decode_base58(const uint8_t* text, uint32_t length, uint32_t unit,
                          std::vector<uint8_t>& out) {
    TextReader r(text, length, unit, false);
    size_t zeros = 0;
    bool leading = true;
    std::vector<uint8_t> number; // little-endian bytes
    for (int64_t c; (c = r.next()) >= 0;) {
        int d = digit_in(kBase58Digits, c);
        if (d < 0) return false;
        if (leading && d == 0) {
            zeros++;
            continue;
        }
        leading = false;
        uint32_t carry = static_cast<uint32_t>(d);
        for (uint8_t& b : number) {
            carry += b * 58u;
            b = static_cast<uint8_t>(carry);
            carry >>= 8;
        }
        for (; carry; carry >>= 8)
            number.push_back(static_cast<uint8_t>(carry));
    }
    out.insert(out.end(), zeros, 0);
    out.insert(out.end(), number.rbegin(), number.rend());
    return true;
}

bool binary_decode_base64(const uint8_t* text, uint32_t length, uint32_t unit,
                          std::vector<uint8_t>& out) {
    TextReader r(text, length, unit, false);
    uint32_t bits = 0;
    int count = 0;
    for (int64_t c; (c = r.next()) >= 0;) {
        if (c == '=') {
            if (count < 2) return false;
            break;
        }
        int d = digit_in(kBase64Digits, c);
        if (d < 0) return false;
        bits = bits << 6 | static_cast<uint32_t>(d);
        if (++count == 4) {
            out.push_back(static_cast<uint8_t>(bits >> 16));
            out.push_back(static_cast<uint8_t>(bits >> 8));
            out.push_back(static_cast<uint8_t>(bits));
            bits = 0;
            count = 0;
        }
    }
    // A last group of two or three characters gives one or two bytes.
    if (count == 1) return false;
    if (count >= 2) out.push_back(static_cast<uint8_t>(bits >> (count * 6 - 8)));
    if (count == 3) out.push_back(static_cast<uint8_t>(bits >> 2));
    return true;
}

uint8_t* binary_encode_base2(const uint8_t* bytes, uint32_t n, uint8_t* out) {
    for (uint32_t i = 0; i < n; i++)
        for (int bit = 7; bit >= 0; bit--)
            *out++ = static_cast<uint8_t>('0' + ((bytes[i] >> bit) & 1));
    return out;
}

uint8_t* binary_encode_base16(const uint8_t* bytes, uint32_t n, uint8_t* out) {
    for (uint32_t i = 0; i < n; i++) {
        const char* hex = string_byte_to_hex(bytes[i]);
        *out++ = static_cast<uint8_t>(hex[0]);
        *out++ = static_cast<uint8_t>(hex[1]);
    }
    return out;
}

uint8_t* binary_encode_base58(const uint8_t* bytes, uint32_t n, uint8_t* out) {
    uint32_t zeros = 0;
    while (zeros < n && bytes[zeros] == 0)
        zeros++;
    std::vector<uint8_t> digits; // little-endian base-58 digits
    for (uint32_t i = zeros; i < n; i++) {
        uint32_t carry = bytes[i];
        for (uint8_t& d : digits) {
            carry += d * 256u;
            d = static_cast<uint8_t>(carry % 58);
            carry /= 58;
        }
        for (; carry; carry /= 58)
            digits.push_back(static_cast<uint8_t>(carry % 58));
    }
    for (uint32_t i = 0; i < zeros; i++)
        *out++ = '1';
    for (auto d = digits.rbegin(); d != digits.rend(); ++d)
        *out++ = static_cast<uint8_t>(kBase58Digits[*d]);
    return out;
}

uint8_t* binary_encode_base64(const uint8_t* bytes, uint32_t n, uint8_t* out) {
    uint32_t i = 0;
    for (; i + 3 <= n; i += 3) {
        uint32_t v = uint32_t{bytes[i]} << 16 | uint32_t{bytes[i + 1]} << 8 | bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6)
            *out++ = static_cast<uint8_t>(kBase64Digits[(v >> shift) & 63]);
    }
    if (i < n) {
        uint32_t v = uint32_t{bytes[i]} << 16 | (i + 1 < n ? uint32_t{bytes[i + 1]} << 8 : 0);
        *out++ = static_cast<uint8_t>(kBase64Digits[v >> 18]);
        *out++ = static_cast<uint8_t>(kBase64Digits[(v >> 12) & 63]);
        *out++ = i + 1 < n ? static_cast<uint8_t>(kBase64Digits[(v >> 6) & 63]) : '=';
        *out++ = '=';
    }
    return out;
}

} // namespace xel
