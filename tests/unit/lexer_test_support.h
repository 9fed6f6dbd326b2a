// Loading text in tests and describing the loaded cells in a compact text
// close to their written form, read from the cell layouts themselves.
#pragma once
#include <cstdio>
#include <string>

#include "runtime/core/throw.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/date/date-cell.h"
#include "runtime/datatypes/money/money-cell.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/tuple/tuple-cell.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "runtime/text/float-text.h"

namespace xel::test {

inline std::string float_text(double d) {
    return float_form_text(d, 0, true);
}

inline std::string spelling(const Cell* w) {
    uint32_t n;
    const char* name = symbol_name(word_symbol(w), &n);
    return std::string(name, n);
}

inline std::string describe(const Cell* c);

inline std::string describe_items(const Cell* block, const char* sep) {
    std::string out;
    Cell b = *block;
    int n = block_length_at(&b);
    for (int i = 0; i < n; i++) {
        if (i) out += sep;
        out += describe(block_rs_head(&b) + i);
    }
    return out;
}

inline std::string describe(const Cell* c) {
    std::string nl = (c->header & kNewLineFlag) ? "^/" : "";
    char buf[96];
    switch (type_of(c)) {
    case T_INTEGER:
        return nl + std::to_string(static_cast<int32_t>(c->data2));
    case T_FLOAT:
        return nl + float_text(cell_double(c));
    case T_PERCENT:
        return nl + "percent(" + float_text(cell_double(c)) + ")";
    case T_TIME:
        return nl + "time(" + float_text(cell_double(c)) + ")";
    case T_CHAR:
        return nl + "char(" + std::to_string(c->data2) + ")";
    case T_STRING:
        return nl + "\"" + string_utf8_text(c) + "\"";
    case T_FILE:
        return nl + "%" + string_utf8_text(c);
    case T_URL:
        return nl + "url(" + string_utf8_text(c) + ")";
    case T_EMAIL:
        return nl + "email(" + string_utf8_text(c) + ")";
    case T_TAG:
        return nl + "<" + string_utf8_text(c) + ">";
    case T_REF:
        return nl + "@" + string_utf8_text(c);
    case T_WORD:
        return nl + spelling(c);
    case T_SET_WORD:
        return nl + spelling(c) + ":";
    case T_GET_WORD:
        return nl + ":" + spelling(c);
    case T_LIT_WORD:
        return nl + "'" + spelling(c);
    case T_REFINEMENT:
        return nl + "/" + spelling(c);
    case T_ISSUE:
        return nl + "#" + spelling(c);
    case T_BLOCK:
        return nl + "[" + describe_items(c, " ") + "]";
    case T_PAREN:
        return nl + "(" + describe_items(c, " ") + ")";
    case T_MAP:
        return nl + "#[" + describe_items(c, " ") + "]";
    case T_PATH:
        return nl + describe_items(c, "/");
    case T_LIT_PATH:
        return nl + "'" + describe_items(c, "/");
    case T_GET_PATH:
        return nl + ":" + describe_items(c, "/");
    case T_SET_PATH:
        return nl + describe_items(c, "/") + ":";
    case T_PAIR:
        return nl + std::to_string(static_cast<int32_t>(c->data2)) + "x" +
               std::to_string(static_cast<int32_t>(c->data3));
    case T_TUPLE: {
        std::string out;
        for (uint32_t i = 0; i < tuple_count(c); i++)
            out += (i ? "." : "") + std::to_string(tuple_bytes(c)[i]);
        return nl + out;
    }
    case T_POINT2D:
        return nl + "(" + float_text(point_coordinate(c, 0)) + ", " +
               float_text(point_coordinate(c, 1)) + ")";
    case T_POINT3D:
        return nl + "(" + float_text(point_coordinate(c, 0)) + ", " +
               float_text(point_coordinate(c, 1)) + ", " + float_text(point_coordinate(c, 2)) + ")";
    case T_DATE: {
        uint32_t p = c->data1;
        std::snprintf(buf, sizeof buf, "date(%d-%d-%d", date_year(p), date_month(p), date_day(p));
        std::string out = buf;
        if (p & kDateTimeFlag) {
            out += " t=" + float_text(cell_double(c));
            out += " z=" + std::to_string(date_zone_quarters(p));
        }
        return nl + out + ")";
    }
    case T_MONEY: {
        std::string out = (c->header & kMoneySignBit) ? "-" : "";
        if (money_currency(c)) out += "c" + std::to_string(money_currency(c));
        out += "$";
        bool lead = true;
        for (int i = 1; i <= kMoneyIntegerDigits; i++) {
            int d = money_digit(c, i);
            if (d == 0 && lead && i < kMoneyIntegerDigits) continue;
            lead = false;
            out += static_cast<char>('0' + d);
        }
        out += ".";
        for (int i = kMoneyIntegerDigits + 1; i <= kMoneyDigits; i++)
            out += static_cast<char>('0' + money_digit(c, i));
        return nl + out;
    }
    case T_BINARY: {
        const SeriesBuf* b = buffer_of(c->data2);
        std::string out = "#{";
        for (Offset o = b->head; o < b->tail; o++) {
            std::snprintf(buf, sizeof buf, "%02X", *at<uint8_t>(o));
            out += buf;
        }
        return nl + out + "}";
    }
    case T_LOGIC:
        return nl + (c->data1 ? "true" : "false");
    case T_NONE:
        return nl + "none";
    case T_UNSET:
        return nl + "unset";
    case T_DATATYPE:
        return nl + g_type_names[c->data1].name;
    default:
        return nl + "?" + std::to_string(type_of(c));
    }
}

// Loads text into a block (errors raised).
inline Cell load_text(const std::string& text, uint32_t flags = kScanLoad | kScanOutput) {
    Cell result{T_NONE, 0, 0, 0};
    lexer_scan(&result, reinterpret_cast<const uint8_t*>(text.data()),
               static_cast<uint32_t>(text.size()), flags, nullptr, nullptr, nullptr, nullptr);
    return result;
}

// The text of a syntax error: "*** Syntax Error: " then the arguments as the
// catalogue's templates join them; "" when nothing was raised.
// Runs body under a try frame; the text of the syntax error it raised, or "".
template <class Body> std::string syntax_error_in(Body&& body) {
    Cell word = *word_load("try");
    stack_mark_try(&word);
    uint32_t code = catch_at(kCatchErrors, body);
    if (code == 0) {
        stack_unwind();
        return "";
    }
    {
        const PendingError& e = g_pending_error;
        if (e.category != kCatSyntax)
            return "category " + std::to_string(e.category) + " id " + std::to_string(e.id) +
                   (e.arg_count && is_any_word_type(type_of(&e.args[0]))
                        ? " " + spelling(&e.args[0])
                        : "");
        auto str = [](const Cell& c) {
            return type_of(&c) == T_STRING ? string_utf8_text(&c) : std::string("?");
        };
        std::string line = str(e.args[0]);
        switch (e.id) {
        case err::syntax::kBadChar:
            return line + " invalid character at " + str(e.args[1]);
        case err::syntax::kMalconstruct:
            return line + " invalid construction spec at " + str(e.args[1]);
        case err::syntax::kMissing:
            return line + " missing " + std::string(1, static_cast<char>(e.args[1].data2)) +
                   " at " + str(e.args[2]);
        case err::syntax::kInvalid:
            return line + " invalid " + g_type_names[e.args[1].data1].name + " at " +
                   str(e.args[2]);
        default:
            return "id " + std::to_string(e.id);
        }
    }
}

inline std::string syntax_error_of(const std::string& text,
                                   uint32_t flags = kScanLoad | kScanOutput) {
    return syntax_error_in([&] { load_text(text, flags); });
}

// The loaded block described, or the text of the error raised.
inline std::string load_described(const std::string& text) {
    std::string loaded;
    std::string error = syntax_error_in([&] {
        Cell block = load_text(text);
        loaded = describe(&block);
    });
    return error.empty() ? loaded : "error: " + error;
}

} // namespace xel::test
