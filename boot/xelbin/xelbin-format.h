// The bytes of the XELBIN format shared by its readers and writers.
#pragma once
#include <cstdint>

namespace xel {

constexpr char kXelbinMagic[6] = {'X', 'E', 'L', 'B', 'I', 'N'};
constexpr uint8_t kXelbinVersion = 1;

enum XelbinFlag : uint8_t {
    kXelbinCompact = 1,
    kXelbinCompressed = 2,
    kXelbinSymbols = 4,
};

// Compact records: prefixes, then a type byte.
enum XelbinByte : uint8_t {
    kCpNewLine = 0xC0,
    kCpReference = 0xC1,
    kCpTrue = 0xC2,
    kCpFalse = 0xC3,
    kCpDefinition = 0xC4,
    kCpPath = 0xFF,
    kCpSmallInteger = 0x80, // 0x80-0xBF: integers 0-63
    kCpFlag = 0x40,
    kCpTypeMask = 0x3F,
    kCpTypeFollows = 63,
};

// Context record flags (compact).
enum XelbinContextFlag : uint8_t {
    kCtxKindMask = 3,
    kCtxStackValues = 4,
    kCtxSelf = 8,
    kCtxValues = 16,
};

// Word-encoding header bits.
constexpr uint32_t kWdNewLine = 1u << 31;
constexpr uint32_t kWdShared = 1u << 19;
constexpr uint32_t kWdNegated = 1u << 23;
constexpr uint32_t kWdMoneySign = 1u << 22;
constexpr uint32_t kWdHasEvents = 1u << 24;
constexpr uint32_t kWdGlobal = 1u << 25;
constexpr uint32_t kWdReference = 255;

// Reference paths hold 1 to 65,536 indexes.
constexpr uint32_t kXelbinMaxPath = 65536;

// Strings: unit code 0, 1, 2 for 1, 2, 4 bytes a character.
inline uint32_t xelbin_unit_code(uint32_t unit) {
    return unit == 4 ? 2 : unit == 2 ? 1 : 0;
}

// Types a reader refuses with no-codec.
inline bool xelbin_refused_type(uint32_t type) {
    return type == 29 || type == 31 || type == 46 || type == 48 || type == 54;
}

} // namespace xel
