// The lexer's automaton: a byte's character class and token flags, the
// transition table over (state, class), and the per-state skip and type
// tables. A next state of kFinalBase or more ends a token; its token class is
// next - kFinalBase.
#pragma once
#include <array>
#include <cstdint>

namespace xel {

// Character classes, in table order.
enum CharClass : uint8_t {
    kClsBlank,        // space, tab, CR
    kClsLineFeed,     // LF
    kClsDigit,        // 1-9
    kClsZero,         // 0
    kClsBlockOpen,    // [
    kClsBlockClose,   // ]
    kClsParenOpen,    // (
    kClsParenClose,   // )
    kClsBraceOpen,    // {
    kClsBraceClose,   // }
    kClsQuote,        // "
    kClsHash,         // #
    kClsApostrophe,   // '
    kClsColon,        // :
    kClsX,            // x X
    kClsT,            // T
    kClsH,            // h
    kClsLowerE,       // e
    kClsUpperE,       // E
    kClsLowerHex,     // a-d f
    kClsUpperHex,     // A-D F
    kClsSlash,        // /
    kClsBackslash,    // \ (backslash)
    kClsLess,         // <
    kClsGreater,      // >
    kClsEqual,        // =
    kClsPercent,      // %
    kClsComma,        // ,
    kClsSemicolon,    // ;
    kClsAt,           // @
    kClsDot,          // .
    kClsDollar,       // $
    kClsPlus,         // +
    kClsMinus,        // -
    kClsCaret,        // ^
    kClsControl,      // control bytes 1-8, 11, 12, 14-31
    kClsContinuation, // 127 and UTF-8 continuation bytes
    kClsOther,        // other printable ASCII and UTF-8 lead bytes
    kClsInvalid,      // 192, 193, 248-255
    kClsEnd,          // byte 0 and the end of the input
    kClassCount
};

// Token flags, ORed over the bytes of a token.
enum : uint32_t {
    kFlagPercentSign = 0x00040000,
    kFlagGreater = 0x00080000,
    kFlagLess = 0x00100000,
    kFlagSign = 0x00200000,
    kFlagNul = 0x00400000,
    kFlagHash = 0x00800000,
    kFlagExponent = 0x01000000,
    kFlagApostrophe = 0x02000000,
    kFlagColon = 0x04000000,
    kFlagComma = 0x08000000,
    kFlagDot = 0x10000000,
    kFlagCaret = 0x20000000,
    kFlagLead23 = 0x40000000,
    kFlagLead4 = 0x80000000,
};

// Narrowest string unit holding a token's code points.
inline uint32_t unit_of_flags(uint32_t flags) {
    uint32_t unit = 1u << (flags >> 30);
    return unit > 4 ? 4 : unit;
}

// Token classes.
enum TokenClass : uint8_t {
    kTokEnd,
    kTokError,
    kTokBlockOpen,
    kTokBlockClose,
    kTokParenOpen,
    kTokParenClose,
    kTokBraceOpen,
    kTokBraceClose,
    kTokMapOpen,
    kTokPathHead,
    kTokConstruct,
    kTokComment,
    kTokComma,
    kTokString,
    kTokWord,
    kTokIssue,
    kTokInteger,
    kTokRefinement,
    kTokChar,
    kTokFile,
    kTokBinary,
    kTokPercent,
    kTokFloat,
    kTokSpecialFloat,
    kTokTuple,
    kTokDate,
    kTokPair,
    kTokPoint,
    kTokTime,
    kTokMoney,
    kTokTag,
    kTokUrl,
    kTokEmail,
    kTokHex,
    kTokRawString,
    kTokRef,
    kTokenClassCount
};

constexpr int kStateCount = 65;
constexpr int kFinalBase = 66;
constexpr int kFirstValueToken = kTokString;

// The automaton's states that the scanners name.
enum LexState : uint8_t {
    kStStart = 0,
    kStComment = 1,
    kStString = 2,
    kStStringEscape = 3,
    kStBrace = 4,
    kStBraceEscape = 5,
    kStPercent = 6,
    kStPercents = 7,
    kStFileQuoted = 8,
    kStFile = 9,
    kStFileQuotedEscape = 10,
    kStWordColon = 11,
    kStUrl = 12,
    kStSlash = 13,
    kStHexWordEnd = 14,
    kStSlash2 = 15,
    kStHash = 16,
    kStHexWord = 17,
    kStPrefixSlash = 18,
    kStMoneyDigits = 19,
    kStRefinement = 20,
    kStConstruct = 21,
    kStChar = 22,
    kStNumber = 23,
    kStCharEscape = 24,
    kStFraction = 25,
    kStExpOrHex = 26,
    kStExponent = 27,
    kStHexNumber = 28,
    kStHexNumberEnd = 29,
    kStPair = 30,
    kStTimeStart = 31,
    kStDate = 32,
    kStIssue = 33,
    kStPercentEnd = 34,
    kStPoint = 35,
    kStMoney = 36,
    kStBase = 37,
    kStBinary = 38,
    kStTuple = 39,
    kStHexOrWord = 40,
    kStSpecialFloat = 41,
    kStExpSign = 42,
    kStLess = 43,
    kStExpDigits = 44,
    kStExpOrHexDigits = 45,
    kStTag = 46,
    kStSign = 47,
    kStPairY = 48,
    kStDot = 49,
    kStTime = 50,
    kStPrefix = 51,
    kStWord = 52,
    kStTimeComma = 53,
    kStBinaryComment = 54,
    kStSpecialFloatName = 55,
    kStEmail = 56,
    kStRef = 57,
    kStEqual = 58,
    kStPath = 59,
    kStPathNumber = 60,
    kStPathPrefix = 61,
    kStPathWord = 62,
    kStPathIssue = 63,
    kStPathSign = 64,
};

constexpr uint8_t final_state(TokenClass t) {
    return static_cast<uint8_t>(kFinalBase + t);
}

struct LexerTables {
    std::array<uint32_t, 256> char_entry;                      // class | flags
    std::array<uint8_t, kStateCount * kClassCount> transition; // next state
    std::array<uint8_t, kFinalBase + kTokenClassCount> skip;   // 1 for state 0
    std::array<uint8_t, kClassCount> line;                     // 1 for line feed
    std::array<uint8_t, kFinalBase + kTokenClassCount> type;   // datatype per state
    std::array<uint8_t, 256> float_char;                       // point look-ahead
};

extern const LexerTables g_lexer_tables;

inline uint8_t char_class(uint8_t byte) {
    return static_cast<uint8_t>(g_lexer_tables.char_entry[byte]);
}

// Classes that end most tokens: blanks, line feeds, brackets, parens, braces,
// double quote, comma, semicolon, control bytes and the end.
constexpr bool is_delimiter_class(uint8_t cls) {
    switch (cls) {
    case kClsBlank:
    case kClsLineFeed:
    case kClsBlockOpen:
    case kClsBlockClose:
    case kClsParenOpen:
    case kClsParenClose:
    case kClsBraceOpen:
    case kClsBraceClose:
    case kClsQuote:
    case kClsComma:
    case kClsSemicolon:
    case kClsControl:
    case kClsEnd:
        return true;
    default:
        return false;
    }
}

} // namespace xel
