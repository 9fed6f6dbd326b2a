#include "case_names.h"

#include <cctype>
#include <cstdio>

namespace xel_test {

namespace {

const char* punctuation_word(char c) {
    switch (c) {
    case '"':
        return "quote";
    case '\'':
        return "tick";
    case '{':
        return "brace";
    case '}':
        return "end_brace";
    case '[':
        return "bracket";
    case ']':
        return "end_bracket";
    case '(':
        return "paren";
    case ')':
        return "end_paren";
    case '<':
        return "lt";
    case '>':
        return "gt";
    case '#':
        return "hash";
    case '%':
        return "percent";
    case '$':
        return "dollar";
    case '/':
        return "slash";
    case '\\':
        return "backslash";
    case ':':
        return "colon";
    case ';':
        return "semicolon";
    case '^':
        return "caret";
    case '-':
        return "minus";
    case '+':
        return "plus";
    case '.':
        return "dot";
    case ',':
        return "comma";
    case '@':
        return "at";
    case '&':
        return "amp";
    case '=':
        return "eq";
    case '~':
        return "tilde";
    case '!':
        return "bang";
    case '?':
        return "q";
    case '*':
        return "star";
    case '|':
        return "bar";
    case '`':
        return "backtick";
    case '\n':
        return "lf";
    case '\r':
        return "cr";
    case '\t':
        return "tab";
    default:
        return nullptr;
    }
}

void add_word(std::string& name, const std::string& word) {
    if (!name.empty() && name.back() != '_') name += '_';
    name += word;
}

} // namespace

std::string case_name(std::string_view text, size_t index) {
    constexpr size_t kLongest = 48;
    std::string name;
    bool in_word = false;
    for (char c : text) {
        if (name.size() >= kLongest) break;
        auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) && byte < 0x80) {
            if (!in_word && !name.empty() && name.back() != '_') name += '_';
            name += c;
            in_word = true;
            continue;
        }
        in_word = false;
        if (c == ' ' || c == '_') {
            if (!name.empty() && name.back() != '_') name += '_';
        } else if (const char* word = punctuation_word(c)) {
            add_word(name, word);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "x%02X", byte);
            add_word(name, hex);
        }
    }
    add_word(name, std::to_string(index));
    return name;
}

std::string case_text(const std::vector<uint8_t>& bytes) {
    std::string text;
    char hex[4];
    for (uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X ", b);
        text += hex;
    }
    return text;
}

std::string case_text(uint32_t code_point) {
    char hex[12];
    std::snprintf(hex, sizeof hex, "U%04X", code_point);
    return hex;
}

std::string case_text(int32_t code_point) {
    return case_text(static_cast<uint32_t>(code_point));
}

} // namespace xel_test
