#include "runtime/lexer/lexer-tables.h"

#include "runtime/datatypes/type-ids.h"

namespace xel {

namespace {

constexpr uint32_t byte_flags(int b) {
    switch (b) {
    case '%':
        return kFlagPercentSign;
    case '>':
        return kFlagGreater;
    case '<':
        return kFlagLess;
    case '+':
    case '-':
        return kFlagSign;
    case 0:
        return kFlagNul;
    case '#':
        return kFlagHash;
    case 'e':
    case 'E':
        return kFlagExponent;
    case '\'':
        return kFlagApostrophe;
    case ':':
        return kFlagColon;
    case ',':
        return kFlagComma;
    case '.':
        return kFlagDot;
    case '^':
        return kFlagCaret;
    default:
        if (b >= 194 && b <= 239) return kFlagLead23;
        if (b >= 240 && b <= 247) return kFlagLead4;
        return 0;
    }
}

constexpr uint8_t byte_class(int b) {
    if (b == 0) return kClsEnd;
    if (b == ' ' || b == '\t' || b == '\r') return kClsBlank;
    if (b == '\n') return kClsLineFeed;
    if (b < 32) return kClsControl;
    if (b >= '1' && b <= '9') return kClsDigit;
    if ((b >= 'a' && b <= 'd') || b == 'f') return kClsLowerHex;
    if ((b >= 'A' && b <= 'D') || b == 'F') return kClsUpperHex;
    if (b == 127 || (b >= 128 && b <= 191)) return kClsContinuation;
    if (b == 192 || b == 193 || b >= 248) return kClsInvalid;
    if (b >= 194) return kClsOther;
    switch (b) {
    case '0':
        return kClsZero;
    case '[':
        return kClsBlockOpen;
    case ']':
        return kClsBlockClose;
    case '(':
        return kClsParenOpen;
    case ')':
        return kClsParenClose;
    case '{':
        return kClsBraceOpen;
    case '}':
        return kClsBraceClose;
    case '"':
        return kClsQuote;
    case '#':
        return kClsHash;
    case '\'':
        return kClsApostrophe;
    case ':':
        return kClsColon;
    case 'x':
    case 'X':
        return kClsX;
    case 'T':
        return kClsT;
    case 'h':
        return kClsH;
    case 'e':
        return kClsLowerE;
    case 'E':
        return kClsUpperE;
    case '/':
        return kClsSlash;
    case '\\':
        return kClsBackslash;
    case '<':
        return kClsLess;
    case '>':
        return kClsGreater;
    case '=':
        return kClsEqual;
    case '%':
        return kClsPercent;
    case ',':
        return kClsComma;
    case ';':
        return kClsSemicolon;
    case '@':
        return kClsAt;
    case '.':
        return kClsDot;
    case '$':
        return kClsDollar;
    case '+':
        return kClsPlus;
    case '-':
        return kClsMinus;
    case '^':
        return kClsCaret;
    default:
        return kClsOther;
    }
}

constexpr bool is_letter_class(int c) {
    return (c >= kClsX && c <= kClsUpperHex) || c == kClsOther;
}
constexpr bool is_digit_class(int c) {
    return c == kClsDigit || c == kClsZero;
}

// Builds the transition table row by row; every row starts as "error" and
// gets its final state for the end of the input in column kClsEnd.
struct Builder {
    std::array<uint8_t, kStateCount * kClassCount> t{};

    constexpr void set(int state, int cls, uint8_t next) { t[state * kClassCount + cls] = next; }
    constexpr uint8_t get(int state, int cls) const { return t[state * kClassCount + cls]; }
    constexpr void fill(int state, uint8_t next) {
        for (int c = 0; c < kClassCount; c++)
            set(state, c, next);
    }
    constexpr void delimiters(int state, uint8_t next) {
        for (int c = 0; c < kClassCount; c++)
            if (is_delimiter_class(c)) set(state, c, next);
    }
    constexpr void digits(int state, uint8_t next) {
        set(state, kClsDigit, next);
        set(state, kClsZero, next);
    }
    constexpr void letters(int state, uint8_t next) {
        for (int c = 0; c < kClassCount; c++)
            if (is_letter_class(c)) set(state, c, next);
    }
    constexpr void copy(int state, int from) {
        for (int c = 0; c < kClassCount; c++)
            set(state, c, get(from, c));
    }
    // A token body that runs to the next delimiter.
    constexpr void body(int state, uint8_t done) {
        fill(state, static_cast<uint8_t>(state));
        delimiters(state, done);
        set(state, kClsInvalid, final_state(kTokError));
    }
};

constexpr uint8_t F(TokenClass t) {
    return final_state(t);
}

constexpr std::array<uint8_t, kStateCount * kClassCount> build_transitions() {
    Builder b;
    const uint8_t err = F(kTokError);
    for (int s = 0; s < kStateCount; s++)
        b.fill(s, err);

    // Start state.
    b.set(kStStart, kClsBlank, kStStart);
    b.set(kStStart, kClsLineFeed, kStStart);
    b.set(kStStart, kClsControl, kStStart);
    b.digits(kStStart, kStNumber);
    b.set(kStStart, kClsBlockOpen, F(kTokBlockOpen));
    b.set(kStStart, kClsBlockClose, F(kTokBlockClose));
    b.set(kStStart, kClsParenOpen, F(kTokParenOpen));
    b.set(kStStart, kClsParenClose, F(kTokParenClose));
    b.set(kStStart, kClsBraceOpen, F(kTokBraceOpen));
    b.set(kStStart, kClsQuote, kStString);
    b.set(kStStart, kClsHash, kStHash);
    b.set(kStStart, kClsApostrophe, kStPrefix);
    b.set(kStStart, kClsColon, kStPrefix);
    for (int c : {kClsX, kClsT, kClsH, kClsLowerE, kClsLowerHex, kClsGreater, kClsCaret, kClsOther})
        b.set(kStStart, c, kStWord);
    b.set(kStStart, kClsUpperE, kStHexOrWord);
    b.set(kStStart, kClsUpperHex, kStHexOrWord);
    b.set(kStStart, kClsSlash, kStSlash);
    b.set(kStStart, kClsLess, kStLess);
    b.set(kStStart, kClsEqual, kStEqual);
    b.set(kStStart, kClsPercent, kStPercent);
    b.set(kStStart, kClsComma, F(kTokComma));
    b.set(kStStart, kClsSemicolon, kStComment);
    b.set(kStStart, kClsAt, kStRef);
    b.set(kStStart, kClsDot, kStDot);
    b.set(kStStart, kClsDollar, kStMoney);
    b.set(kStStart, kClsPlus, kStSign);
    b.set(kStStart, kClsMinus, kStSign);
    b.set(kStStart, kClsEnd, F(kTokEnd));

    // Comment: to the line end.
    b.fill(kStComment, kStComment);
    b.set(kStComment, kClsLineFeed, F(kTokComment));
    b.set(kStComment, kClsEnd, F(kTokComment));

    // Quoted string, with "^" escaping the next byte.
    b.fill(kStString, kStString);
    b.set(kStString, kClsQuote, F(kTokString));
    b.set(kStString, kClsCaret, kStStringEscape);
    b.set(kStString, kClsLineFeed, err);
    b.set(kStString, kClsInvalid, err);
    b.set(kStString, kClsEnd, err);
    b.fill(kStStringEscape, kStString);
    b.set(kStStringEscape, kClsLineFeed, err);
    b.set(kStStringEscape, kClsInvalid, err);
    b.set(kStStringEscape, kClsEnd, err);

    // Brace string body: one token up to the next brace.
    b.fill(kStBrace, kStBrace);
    b.set(kStBrace, kClsBraceOpen, F(kTokBraceOpen));
    b.set(kStBrace, kClsBraceClose, F(kTokBraceClose));
    b.set(kStBrace, kClsCaret, kStBraceEscape);
    b.set(kStBrace, kClsInvalid, err);
    b.set(kStBrace, kClsEnd, err);
    b.fill(kStBraceEscape, kStBrace);
    b.set(kStBraceEscape, kClsInvalid, err);
    b.set(kStBraceEscape, kClsEnd, err);

    // "%": file, quoted file or raw string.
    b.body(kStFile, F(kTokFile));
    b.copy(kStPercent, kStFile);
    b.set(kStPercent, kClsQuote, kStFileQuoted);
    b.set(kStPercent, kClsBraceOpen, F(kTokRawString));
    b.set(kStPercent, kClsPercent, kStPercents);
    b.copy(kStPercents, kStFile);
    b.set(kStPercents, kClsBraceOpen, F(kTokRawString));
    b.set(kStPercents, kClsPercent, kStPercents);
    b.fill(kStFileQuoted, kStFileQuoted);
    b.set(kStFileQuoted, kClsQuote, F(kTokFile));
    b.set(kStFileQuoted, kClsCaret, kStFileQuotedEscape);
    b.set(kStFileQuoted, kClsLineFeed, err);
    b.set(kStFileQuoted, kClsInvalid, err);
    b.set(kStFileQuoted, kClsEnd, err);
    b.fill(kStFileQuotedEscape, kStFileQuoted);
    b.set(kStFileQuotedEscape, kClsLineFeed, err);
    b.set(kStFileQuotedEscape, kClsInvalid, err);
    b.set(kStFileQuotedEscape, kClsEnd, err);

    // Words. A word ends at a delimiter; "/" makes it a path head, ":" a
    // set-word or the start of a url, "@" an email, "$" a money code.
    b.body(kStWord, F(kTokWord));
    b.set(kStWord, kClsSlash, F(kTokPathHead));
    b.set(kStWord, kClsColon, kStWordColon);
    b.set(kStWord, kClsBackslash, err);
    b.set(kStWord, kClsAt, kStEmail);
    b.set(kStWord, kClsDollar, kStMoney);
    b.copy(kStEqual, kStWord);

    b.body(kStWordColon, F(kTokWord));
    for (int c = 0; c < kClassCount; c++)
        if (b.get(kStWordColon, c) == kStWordColon) b.set(kStWordColon, c, kStUrl);
    b.body(kStUrl, F(kTokUrl));
    b.body(kStEmail, F(kTokEmail));
    b.body(kStRef, F(kTokRef));

    // Uppercase hexadecimal words: "FFh" is an integer, "Fh" and "FFx" words.
    b.copy(kStHexOrWord, kStWord);
    b.digits(kStHexOrWord, kStHexWord);
    b.set(kStHexOrWord, kClsUpperHex, kStHexWord);
    b.set(kStHexOrWord, kClsUpperE, kStHexWord);
    b.copy(kStHexWord, kStWord);
    b.digits(kStHexWord, kStHexWord);
    b.set(kStHexWord, kClsUpperHex, kStHexWord);
    b.set(kStHexWord, kClsUpperE, kStHexWord);
    b.set(kStHexWord, kClsH, kStHexWordEnd);
    b.copy(kStHexWordEnd, kStWord);
    b.delimiters(kStHexWordEnd, F(kTokHex));

    // "'" and ":" prefixes.
    for (int c = 0; c < kClassCount; c++)
        if (is_letter_class(c)) b.set(kStPrefix, c, kStWord);
    for (int c : {kClsLess, kClsGreater, kClsEqual, kClsPlus, kClsMinus, kClsCaret, kClsDot,
                  kClsContinuation})
        b.set(kStPrefix, c, kStWord);
    b.set(kStPrefix, kClsSlash, kStPrefixSlash);

    // "/": the word "/", "//", a refinement, or "/:".
    b.delimiters(kStSlash, F(kTokWord));
    b.set(kStSlash, kClsSlash, kStSlash2);
    b.set(kStSlash, kClsColon, kStPrefixSlash);
    for (int c = 0; c < kClassCount; c++)
        if (is_letter_class(c) || is_digit_class(c)) b.set(kStSlash, c, kStRefinement);
    for (int c : {kClsApostrophe, kClsLess, kClsGreater, kClsEqual, kClsPercent, kClsHash, kClsDot,
                  kClsPlus, kClsMinus, kClsCaret, kClsContinuation, kClsAt, kClsDollar})
        b.set(kStSlash, c, kStRefinement);
    b.delimiters(kStSlash2, F(kTokWord));
    b.delimiters(kStPrefixSlash, F(kTokRefinement));
    b.body(kStRefinement, F(kTokRefinement));
    b.set(kStRefinement, kClsSlash, err);
    b.set(kStRefinement, kClsColon, err);
    b.set(kStRefinement, kClsBackslash, err);

    // Sign and ".": a number or a word.
    b.copy(kStSign, kStWord);
    b.digits(kStSign, kStNumber);
    b.set(kStSign, kClsDot, kStDot);
    b.copy(kStDot, kStWord);
    b.digits(kStDot, kStFraction);

    // "<": a word ("<", "<=", "<>", "<<") or a tag.
    b.fill(kStLess, kStTag);
    b.delimiters(kStLess, F(kTokWord));
    b.set(kStLess, kClsEqual, kStWord);
    b.set(kStLess, kClsGreater, kStWord);
    b.set(kStLess, kClsLess, kStWord);
    b.set(kStLess, kClsInvalid, err);
    b.fill(kStTag, kStTag);
    b.set(kStTag, kClsGreater, F(kTokTag));
    b.set(kStTag, kClsLineFeed, err);
    b.set(kStTag, kClsInvalid, err);
    b.set(kStTag, kClsEnd, err);

    // "#" forms.
    b.body(kStIssue, F(kTokIssue));
    b.body(kStHash, F(kTokIssue));
    for (int c = 0; c < kClassCount; c++)
        if (b.get(kStHash, c) == kStHash) b.set(kStHash, c, kStIssue);
    b.set(kStHash, kClsBlockOpen, F(kTokMapOpen));
    b.set(kStHash, kClsParenOpen, kStConstruct);
    b.set(kStHash, kClsBraceOpen, kStBinary);
    b.set(kStHash, kClsQuote, kStChar);
    b.fill(kStConstruct, kStConstruct);
    b.set(kStConstruct, kClsParenClose, F(kTokConstruct));
    b.set(kStConstruct, kClsLineFeed, F(kTokConstruct));
    b.set(kStConstruct, kClsEnd, F(kTokConstruct));
    b.set(kStConstruct, kClsInvalid, err);
    b.fill(kStChar, kStChar);
    b.set(kStChar, kClsQuote, F(kTokChar));
    b.set(kStChar, kClsCaret, kStCharEscape);
    b.set(kStChar, kClsLineFeed, err);
    b.set(kStChar, kClsInvalid, err);
    b.set(kStChar, kClsEnd, err);
    b.fill(kStCharEscape, kStChar);
    b.set(kStCharEscape, kClsLineFeed, err);
    b.set(kStCharEscape, kClsInvalid, err);
    b.set(kStCharEscape, kClsEnd, err);

    // Binary bodies, with ";" comments to the line end.
    b.fill(kStBinary, kStBinary);
    b.set(kStBinary, kClsBraceClose, F(kTokBinary));
    b.set(kStBinary, kClsSemicolon, kStBinaryComment);
    b.set(kStBinary, kClsInvalid, err);
    b.set(kStBinary, kClsEnd, err);
    b.fill(kStBinaryComment, kStBinaryComment);
    b.set(kStBinaryComment, kClsLineFeed, kStBinary);
    b.set(kStBinaryComment, kClsInvalid, err);
    b.set(kStBinaryComment, kClsEnd, err);
    b.set(kStBase, kClsBraceOpen, kStBinary);

    // Numbers.
    b.delimiters(kStNumber, F(kTokInteger));
    b.digits(kStNumber, kStNumber);
    b.set(kStNumber, kClsApostrophe, kStNumber);
    b.set(kStNumber, kClsDot, kStFraction);
    b.set(kStNumber, kClsLowerE, kStExponent);
    b.set(kStNumber, kClsUpperE, kStExpOrHex);
    b.set(kStNumber, kClsUpperHex, kStHexNumber);
    b.set(kStNumber, kClsH, kStHexNumberEnd);
    b.set(kStNumber, kClsX, kStPair);
    b.set(kStNumber, kClsColon, kStTimeStart);
    b.set(kStNumber, kClsMinus, kStDate);
    b.set(kStNumber, kClsSlash, kStDate);
    b.set(kStNumber, kClsT, kStDate);
    b.set(kStNumber, kClsPercent, kStPercentEnd);
    b.set(kStNumber, kClsHash, kStBase);
    b.set(kStNumber, kClsAt, kStEmail);

    b.delimiters(kStFraction, F(kTokFloat));
    b.digits(kStFraction, kStFraction);
    b.set(kStFraction, kClsApostrophe, kStFraction);
    b.set(kStFraction, kClsLowerE, kStExponent);
    b.set(kStFraction, kClsUpperE, kStExponent);
    b.set(kStFraction, kClsDot, kStTuple);
    b.set(kStFraction, kClsHash, kStSpecialFloat);
    b.set(kStFraction, kClsPercent, kStPercentEnd);
    b.set(kStFraction, kClsX, kStPair);

    b.set(kStExponent, kClsPlus, kStExpSign);
    b.set(kStExponent, kClsMinus, kStExpSign);
    b.digits(kStExponent, kStExpDigits);
    b.digits(kStExpSign, kStExpDigits);
    b.delimiters(kStExpDigits, F(kTokFloat));
    b.digits(kStExpDigits, kStExpDigits);
    b.set(kStExpDigits, kClsPercent, kStPercentEnd);

    // "1E" and "1E5" may still be hexadecimal integers.
    b.delimiters(kStExpOrHex, F(kTokFloat));
    b.set(kStExpOrHex, kClsPlus, kStExpSign);
    b.set(kStExpOrHex, kClsMinus, kStExpSign);
    b.digits(kStExpOrHex, kStExpOrHexDigits);
    b.set(kStExpOrHex, kClsUpperHex, kStHexNumber);
    b.set(kStExpOrHex, kClsUpperE, kStHexNumber);
    b.set(kStExpOrHex, kClsH, kStHexNumberEnd);
    b.delimiters(kStExpOrHexDigits, F(kTokFloat));
    b.digits(kStExpOrHexDigits, kStExpOrHexDigits);
    b.set(kStExpOrHexDigits, kClsUpperHex, kStHexNumber);
    b.set(kStExpOrHexDigits, kClsUpperE, kStHexNumber);
    b.set(kStExpOrHexDigits, kClsH, kStHexNumberEnd);
    b.set(kStExpOrHexDigits, kClsPercent, kStPercentEnd);

    b.digits(kStHexNumber, kStHexNumber);
    b.set(kStHexNumber, kClsUpperHex, kStHexNumber);
    b.set(kStHexNumber, kClsUpperE, kStHexNumber);
    b.set(kStHexNumber, kClsH, kStHexNumberEnd);
    b.delimiters(kStHexNumberEnd, F(kTokHex));

    b.digits(kStPair, kStPairY);
    b.set(kStPair, kClsPlus, kStPairY);
    b.set(kStPair, kClsMinus, kStPairY);
    b.delimiters(kStPairY, F(kTokPair));
    b.digits(kStPairY, kStPairY);
    b.set(kStPairY, kClsApostrophe, kStPairY);
    b.set(kStPairY, kClsDot, kStPairY);

    b.digits(kStTimeStart, kStTime);
    b.delimiters(kStTime, F(kTokTime));
    b.digits(kStTime, kStTime);
    b.set(kStTime, kClsColon, kStTime);
    b.set(kStTime, kClsDot, kStTime);
    b.set(kStTime, kClsApostrophe, kStTime);
    b.set(kStTime, kClsComma, kStTimeComma);
    b.digits(kStTimeComma, kStTime);

    b.delimiters(kStDate, F(kTokDate));
    b.digits(kStDate, kStDate);
    b.letters(kStDate, kStDate);
    for (int c : {kClsMinus, kClsSlash, kClsColon, kClsPlus, kClsDot})
        b.set(kStDate, c, kStDate);

    b.delimiters(kStPercentEnd, F(kTokPercent));

    b.delimiters(kStTuple, F(kTokTuple));
    b.digits(kStTuple, kStTuple);
    b.set(kStTuple, kClsDot, kStTuple);

    b.letters(kStSpecialFloat, kStSpecialFloatName);
    b.delimiters(kStSpecialFloatName, F(kTokSpecialFloat));
    b.letters(kStSpecialFloatName, kStSpecialFloatName);

    b.digits(kStMoney, kStMoneyDigits);
    b.delimiters(kStMoneyDigits, F(kTokMoney));
    b.digits(kStMoneyDigits, kStMoneyDigits);
    for (int c : {kClsApostrophe, kClsDot, kClsComma})
        b.set(kStMoneyDigits, c, kStMoneyDigits);
    b.set(kStMoneyDigits, kClsSlash, F(kTokMoney));

    // Point literal "(x, y[, z])", entered by the paren scanner.
    for (int c = 0; c < kClassCount; c++)
        if (is_digit_class(c) || is_letter_class(c)) b.set(kStPoint, c, kStPoint);
    for (int c : {kClsBlank, kClsComma, kClsDot, kClsHash, kClsPlus, kClsMinus, kClsParenOpen})
        b.set(kStPoint, c, kStPoint);
    b.set(kStPoint, kClsParenClose, F(kTokPoint));

    // Path segments, entered after each "/".
    b.digits(kStPath, kStPathNumber);
    b.set(kStPath, kClsParenOpen, F(kTokParenOpen));
    b.set(kStPath, kClsParenClose, F(kTokParenClose));
    b.set(kStPath, kClsQuote, kStString);
    b.set(kStPath, kClsHash, kStPathIssue);
    b.set(kStPath, kClsApostrophe, kStPathPrefix);
    b.set(kStPath, kClsColon, kStPathPrefix);
    b.letters(kStPath, kStPathWord);
    b.set(kStPath, kClsContinuation, kStPathWord);
    b.set(kStPath, kClsLess, kStLess);
    b.set(kStPath, kClsAt, kStRef);
    b.set(kStPath, kClsDollar, kStMoney);
    b.set(kStPath, kClsPlus, kStPathSign);
    b.set(kStPath, kClsMinus, kStPathSign);

    b.delimiters(kStPathNumber, F(kTokInteger));
    b.set(kStPathNumber, kClsSlash, F(kTokInteger));
    b.set(kStPathNumber, kClsColon, F(kTokInteger));
    b.digits(kStPathNumber, kStPathNumber);
    b.set(kStPathNumber, kClsApostrophe, kStPathNumber);

    b.letters(kStPathPrefix, kStPathWord);
    b.set(kStPathPrefix, kClsContinuation, kStPathWord);

    b.body(kStPathWord, F(kTokWord));
    b.set(kStPathWord, kClsSlash, F(kTokWord));
    b.set(kStPathWord, kClsColon, F(kTokWord));
    b.set(kStPathWord, kClsBackslash, err);

    b.body(kStPathIssue, F(kTokIssue));
    b.set(kStPathIssue, kClsSlash, F(kTokIssue));
    b.set(kStPathIssue, kClsColon, F(kTokIssue));

    b.digits(kStPathSign, kStPathNumber);
    b.letters(kStPathSign, kStPathWord);
    b.delimiters(kStPathSign, F(kTokWord));
    b.set(kStPathSign, kClsSlash, F(kTokWord));
    b.set(kStPathSign, kClsColon, F(kTokWord));

    return b.t;
}

// The datatype a state loads (final states) or names in an error (others).
constexpr std::array<uint8_t, kFinalBase + kTokenClassCount> build_types() {
    std::array<uint8_t, kFinalBase + kTokenClassCount> t{};
    auto set = [&t](std::initializer_list<int> states, uint8_t type) {
        for (int s : states)
            t[s] = type;
    };
    set({kStString, kStStringEscape, kStBrace, kStBraceEscape}, T_STRING);
    set({kStPercent, kStPercents, kStFileQuoted, kStFile, kStFileQuotedEscape}, T_FILE);
    set({kStWordColon, kStHexWordEnd, kStSlash2, kStHexWord, kStPrefixSlash, kStHexOrWord, kStLess,
         kStSign, kStDot, kStPrefix, kStWord, kStEqual, kStPathPrefix, kStPathWord, kStPathSign},
        T_WORD);
    set({kStUrl}, T_URL);
    set({kStSlash, kStRefinement}, T_REFINEMENT);
    set({kStHash, kStIssue, kStPathIssue}, T_ISSUE);
    set({kStMoney, kStMoneyDigits}, T_MONEY);
    set({kStChar, kStCharEscape}, T_CHAR);
    set({kStNumber, kStHexNumber, kStHexNumberEnd, kStPathNumber}, T_INTEGER);
    set({kStFraction, kStExpOrHex, kStExponent, kStSpecialFloat, kStExpSign, kStExpDigits,
         kStExpOrHexDigits, kStSpecialFloatName},
        T_FLOAT);
    set({kStPair, kStPairY}, T_PAIR);
    set({kStTimeStart, kStTime, kStTimeComma}, T_TIME);
    set({kStDate}, T_DATE);
    set({kStPercentEnd}, T_PERCENT);
    set({kStPoint}, T_POINT2D);
    set({kStBase, kStBinary, kStBinaryComment}, T_BINARY);
    set({kStTuple}, T_TUPLE);
    set({kStTag}, T_TAG);
    set({kStEmail}, T_EMAIL);
    set({kStRef}, T_REF);
    set({kStPath}, T_PATH);

    set({kFinalBase + kTokError}, T_ERROR);
    set({kFinalBase + kTokBraceClose, kFinalBase + kTokString, kFinalBase + kTokRawString},
        T_STRING);
    set({kFinalBase + kTokWord}, T_WORD);
    set({kFinalBase + kTokIssue}, T_ISSUE);
    set({kFinalBase + kTokInteger, kFinalBase + kTokHex}, T_INTEGER);
    set({kFinalBase + kTokRefinement}, T_REFINEMENT);
    set({kFinalBase + kTokChar}, T_CHAR);
    set({kFinalBase + kTokFile}, T_FILE);
    set({kFinalBase + kTokBinary}, T_BINARY);
    set({kFinalBase + kTokPercent}, T_PERCENT);
    set({kFinalBase + kTokFloat, kFinalBase + kTokSpecialFloat}, T_FLOAT);
    set({kFinalBase + kTokTuple}, T_TUPLE);
    set({kFinalBase + kTokDate}, T_DATE);
    set({kFinalBase + kTokPair}, T_PAIR);
    set({kFinalBase + kTokPoint}, T_POINT2D);
    set({kFinalBase + kTokTime}, T_TIME);
    set({kFinalBase + kTokMoney}, T_MONEY);
    set({kFinalBase + kTokTag}, T_TAG);
    set({kFinalBase + kTokUrl}, T_URL);
    set({kFinalBase + kTokEmail}, T_EMAIL);
    set({kFinalBase + kTokRef}, T_REF);
    return t;
}

constexpr LexerTables build_tables() {
    LexerTables t{};
    for (int b = 0; b < 256; b++)
        t.char_entry[b] = byte_flags(b) | byte_class(b);
    t.transition = build_transitions();
    t.skip[kStStart] = 1;
    t.line[kClsLineFeed] = 1;
    t.type = build_types();
    for (const char* p = "\t #+-.0123456789AEFINaefin"; *p; p++)
        t.float_char[static_cast<uint8_t>(*p)] = 1;
    return t;
}

} // namespace

constexpr LexerTables kBuilt = build_tables();

// Every row ends tokens at the end of the input.
static_assert([] {
    for (int s = 0; s < kStateCount; s++)
        if (kBuilt.transition[s * kClassCount + kClsEnd] < kFinalBase) return false;
    return true;
}());

constinit const LexerTables g_lexer_tables = kBuilt;

} // namespace xel
