#include "runtime/text/unicode.h"

#include "runtime/datatypes/constants.h"
#include "runtime/error-fire.h"

namespace xel {

namespace {

struct Utf8Table {
    uint8_t bytes[364];
};

// The byte classes, then the transitions of the UTF-8 automaton: the new state
// is the byte at 256 + state + class; 0 accepts, 12 rejects.
constexpr Utf8Table make_utf8_table() {
    struct Range {
        int first, last;
        uint8_t cls;
    };
    constexpr Range kClasses[] = {
        {0x00, 0x7F, 0},  {0x80, 0x8F, 1},  {0x90, 0x9F, 9}, {0xA0, 0xBF, 7}, {0xC0, 0xC1, 8},
        {0xC2, 0xDF, 2},  {0xE0, 0xE0, 10}, {0xE1, 0xEC, 3}, {0xED, 0xED, 4}, {0xEE, 0xEF, 3},
        {0xF0, 0xF0, 11}, {0xF1, 0xF3, 6},  {0xF4, 0xF4, 5}, {0xF5, 0xFF, 8},
    };
    constexpr uint8_t kTransitions[108] = {
        0,  12, 24, 36, 60, 96, 84, 12, 12, 12, 48, 72, // state 0
        12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, // 12
        12, 0,  12, 12, 12, 12, 12, 0,  12, 0,  12, 12, // 24
        12, 24, 12, 12, 12, 12, 12, 24, 12, 24, 12, 12, // 36
        12, 12, 12, 12, 12, 12, 12, 24, 12, 12, 12, 12, // 48
        12, 24, 12, 12, 12, 12, 12, 12, 12, 24, 12, 12, // 60
        12, 12, 12, 12, 12, 12, 12, 36, 12, 36, 12, 12, // 72
        12, 36, 12, 12, 12, 12, 12, 36, 12, 36, 12, 12, // 84
        12, 36, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, // 96
    };
    Utf8Table t{};
    for (const Range& r : kClasses)
        for (int b = r.first; b <= r.last; b++)
            t.bytes[b] = r.cls;
    for (int i = 0; i < 108; i++)
        t.bytes[256 + i] = kTransitions[i];
    return t;
}

constexpr Utf8Table kUtf8 = make_utf8_table();
constexpr const uint8_t* kUtf8Table = kUtf8.bytes;

constexpr uint16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

[[noreturn]] void invalid_char(int32_t cp) {
    Cell arg;
    set_integer(&arg, cp);
    error_fire(kCatScript, err::script::kInvalidChar, &arg);
}

bool continuation(uint8_t b) {
    return b >= 0x80 && b <= 0xBF;
}

} // namespace

const uint8_t* utf8_decode_char(const uint8_t* p, int32_t* cp) {
    uint32_t type = kUtf8Table[*p];
    int32_t code = (0xFF >> type) & *p++;
    uint32_t state = kUtf8Table[256 + type];
    while (state != 0 && state != 12) {
        type = kUtf8Table[*p];
        code = (*p++ & 0x3F) | (code << 6);
        state = kUtf8Table[256 + state + type];
    }
    *cp = state == 0 ? code : -1;
    return p;
}

uint32_t utf8_count_chars(const uint8_t* start, const uint8_t* end) {
    uint32_t n = 0;
    int32_t cp;
    for (const uint8_t* p = start; p < end; n++)
        p = utf8_decode_char(p, &cp);
    return n;
}

const uint8_t* utf8_skip_chars(const uint8_t* start, const uint8_t* end, uint32_t n) {
    int32_t cp;
    const uint8_t* p = start;
    for (; n > 0 && p < end; n--)
        p = utf8_decode_char(p, &cp);
    return p < end ? p : end;
}

int utf8_lead_length(uint8_t lead) {
    if ((lead & 0xF0) == 0xF0) return 4;
    if ((lead & 0xE0) == 0xE0) return 3;
    if ((lead & 0xC0) == 0xC0) return 2;
    return 0;
}

int32_t utf8_decode_char_replacing(const uint8_t* p, uint32_t* avail) {
    uint8_t b = p[0];
    if (b < 0x80) {
        *avail = 1;
        return b;
    }
    int32_t cp;
    uint32_t len;
    if (b >= 0xC0 && b <= 0xDF) {
        len = 2;
        cp = b - 0xC0;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF7) {
        len = 4;
        cp = b & 0x07;
    } else {
        return kUtf8Refused;
    }
    if (*avail < len) return kUtf8TooShort;
    for (uint32_t i = 1; i < len; i++) {
        if (!continuation(p[i])) return kUtf8Refused;
        cp = (cp << 6) | (p[i] - 0x80);
    }
    if (len == 3 && cp >= 0xDC00 && cp <= 0xDCFF) return kUtf8Refused;
    if (cp > 0x10FFFF) return kUtf8Refused;
    *avail = len;
    return cp;
}

int utf8_char_size(int32_t cp) {
    if (cp <= 0x7F) return 1;
    if (cp <= 0x7FF) return 2;
    if (cp <= 0xFFFF) return 3;
    if (cp <= 0x10FFFF) return 4;
    invalid_char(cp);
}

uint32_t utf8_size_of_units(const uint8_t* start, const uint8_t* end, uint32_t unit) {
    uint32_t size = 0;
    for (const uint8_t* p = start; p < end; p += unit) {
        int32_t cp;
        switch (unit) {
        case 1:
            cp = *p;
            break;
        case 2:
            cp = p[0] | (p[1] << 8);
            break;
        default:
            cp = static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) |
                                      (static_cast<uint32_t>(p[3]) << 24));
            break;
        }
        size += static_cast<uint32_t>(utf8_char_size(cp));
    }
    return size;
}

int utf8_encode_char(int32_t cp, uint8_t* out) {
    if (cp <= 0x7F) {
        out[0] = static_cast<uint8_t>(cp);
        return 1;
    }
    if (cp <= 0x7FF) {
        out[0] = static_cast<uint8_t>(0xC0 | (cp >> 6));
        out[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp <= 0xFFFF) {
        out[0] = static_cast<uint8_t>(0xE0 | (cp >> 12));
        out[1] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        return 3;
    }
    if (cp <= 0x10FFFF) {
        out[0] = static_cast<uint8_t>(0xF0 | (cp >> 18));
        out[1] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
        out[3] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        return 4;
    }
    invalid_char(cp);
}

int utf8_encode_char_bounded(int32_t cp, uint8_t* out, int room) {
    uint8_t bytes[4];
    int n = utf8_encode_char(cp, bytes);
    int written = n < room ? n : room;
    for (int i = 0; i < written; i++)
        out[i] = bytes[i];
    return written < 0 ? 0 : written;
}

int utf16_encode_char(int32_t cp, char16_t* out) {
    if (cp < 0x10000) {
        out[0] = static_cast<char16_t>(cp);
        return 1;
    }
    if (cp <= 0x10FFFF) {
        uint32_t v = static_cast<uint32_t>(cp) - 0x10000;
        out[0] = static_cast<char16_t>(0xD800 | (v >> 10));
        out[1] = static_cast<char16_t>(0xDC00 | (v & 0x3FF));
        return 2;
    }
    return 0;
}

void utf16_from_ascii(const char* text, char16_t* out) {
    while (*text)
        *out++ = static_cast<uint8_t>(*text++);
    *out = 0;
}

uint32_t utf16_pick_unit(const char16_t* units, uint32_t n) {
    uint32_t unit = 1;
    for (uint32_t i = 0; i < n; i++) {
        uint32_t high = units[i] >> 8;
        if (high >= 0xD8 && high <= 0xDF) return 4;
        if (high) unit = 2;
    }
    return unit;
}

int32_t cp1251_to_code_point(uint8_t byte) {
    return byte < 0x80 ? byte : kCp1251High[byte - 0x80];
}

bool utf8_valid(const uint8_t* p, const uint8_t* end) {
    while (p < end) {
        if (*p < 0x80) {
            p++;
            continue;
        }
        int n = utf8_lead_length(*p);
        if (n < 2 || n > end - p) return false;
        int32_t cp;
        const uint8_t* next = utf8_decode_char(p, &cp);
        if (cp < 0 || next != p + n) return false;
        p = next;
    }
    return true;
}

} // namespace xel
