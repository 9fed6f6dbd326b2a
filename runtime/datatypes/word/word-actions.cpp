// The actions of the word types and of issue!, and their rows.
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/lexer/lexer.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

Cell spelling_of(uint32_t symbol) {
    return Cell{T_STRING, 0, symbol_string_node(symbol_cell(symbol)), 0};
}

[[noreturn]] void bad_to_arg(int type, const Cell* value) {
    Cell datatype = datatype_cell(static_cast<uint32_t>(type));
    Cell arg = *value;
    error_fire(kCatScript, err::script::kBadToArg, &datatype, &arg);
}

// The type of the value the lexer reads from a word's spelling.
int scan_spelling(const Cell* word) {
    uint32_t length = 0;
    symbol_name(word_symbol(word), &length);
    // The lexer may allocate: scan a copy of the name, not the symbol's bytes.
    std::string name(symbol_name(word_symbol(word)), length);
    Cell result{T_NONE, 0, 0, 0};
    return lexer_scan(&result, reinterpret_cast<const uint8_t*>(name.data()), length, kScanOneValue,
                      nullptr, nullptr, nullptr, nullptr);
}

// The string-family spelling compare of two symbols under an ordering op.
int compare_spellings(uint32_t a, uint32_t b, int op) {
    Cell s1 = spelling_of(a);
    Cell s2 = spelling_of(b);
    auto compare = action_of<A_COMPARE>(T_STRING);
    return compare ? compare(&s1, &s2, op) : -2;
}

int mold_affixed(Cell* value, Cell* buffer, int part, const char* prefix, const char* suffix) {
    if (prefix) {
        string_concatenate_literal(buffer, prefix);
        part--;
    }
    part = word_form(value, buffer, nullptr, part);
    if (suffix) {
        string_concatenate_literal(buffer, suffix);
        part--;
    }
    return part;
}

int word_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    return word_form(value, buffer, arg, part);
}
int set_word_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell*, int part, int) {
    return mold_affixed(value, buffer, part, nullptr, ":");
}
int lit_word_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell*, int part, int) {
    return mold_affixed(value, buffer, part, "'", nullptr);
}
int get_word_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell*, int part, int) {
    return mold_affixed(value, buffer, part, ":", nullptr);
}
int refinement_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell*, int part, int) {
    return mold_affixed(value, buffer, part, "/", nullptr);
}
int issue_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell*, int part, int) {
    return mold_affixed(value, buffer, part, "#", nullptr);
}

void word_index_q() {
    Cell* w = stack_arguments();
    int32_t index = word_index(w);
    if (index < 0)
        set_none(w);
    else
        set_integer(w, index + 1);
}

bool word_vs_lit_word(uint8_t t1, uint8_t t2) {
    return (t1 == T_WORD && t2 == T_LIT_WORD) || (t1 == T_LIT_WORD && t2 == T_WORD);
}

Cell* issue_make(Cell*, Cell* spec, int type) {
    Cell* result = stack_arguments();
    uint8_t t = type_of(spec);
    if (is_any_word_type(t)) {
        Cell copy = *spec;
        cell_set_type(&copy, static_cast<uint8_t>(type));
        return stack_set_last(&copy);
    }
    if (t == T_STRING || t == T_CHAR) {
        Cell text = *spec;
        if (t == T_CHAR) {
            Cell* s = stack_push_cell();
            string_make_at(s, 4);
            string_append_char(string_buffer(s), spec->data2);
            text = *s;
            stack_pop(1);
        }
        uint32_t symbol = symbol_from_string(&text);
        word_set_cell(result, static_cast<uint8_t>(type), g_global_context, symbol, -1);
        return result;
    }
    return word_make(nullptr, spec, type);
}

int issue_compare(Cell* value1, Cell* value2, int op) {
    if (type_of(value2) != T_ISSUE) return -2;
    return word_compare(value1, value2, op);
}

} // namespace

Cell* word_make(Cell*, Cell* spec, int type) {
    Cell* result = stack_arguments();
    uint8_t t = type_of(spec);
    Cell value;
    switch (t) {
    case T_DATATYPE: {
        const Cell* name = g_type_names[spec->data1 & 0xFF].word;
        if (!name) bad_to_arg(type, spec);
        value = *name;
        break;
    }
    case T_LOGIC:
        word_make_at(&value, spec->data1 ? g_sym_true : g_sym_false);
        break;
    case T_STRING:
    case T_CHAR: {
        Cell keep = *spec;
        Cell text = *spec;
        if (t == T_CHAR) {
            Cell* s = stack_push_cell();
            string_make_at(s, 4);
            string_append_char(string_buffer(s), spec->data2);
            text = *s;
            value = *lexer_load_single(&text);
            stack_pop(1);
        } else {
            value = *lexer_load_single(&text);
        }
        if (!is_any_word_type(type_of(&value)))
            error_fire(kCatScript, err::script::kInvalidChars, &keep);
        break;
    }
    case T_WORD:
    case T_SET_WORD:
    case T_LIT_WORD:
    case T_GET_WORD:
        value = *spec;
        break;
    case T_REFINEMENT:
    case T_ISSUE: {
        int read = scan_spelling(spec);
        if (read < T_WORD || read > T_GET_WORD) bad_to_arg(type, spec);
        value = *spec;
        context_bind_word(g_global_context, &value);
        break;
    }
    default:
        bad_to_arg(type, spec);
    }
    cell_set_type(&value, static_cast<uint8_t>(type));
    *result = value;
    return result;
}

int word_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    Cell spelling = spelling_of(word_symbol(value));
    return string_form(&spelling, buffer, arg, part);
}

int word_compare(Cell* value1, Cell* value2, int op) {
    uint8_t t1 = type_of(value1);
    uint8_t t2 = type_of(value2);
    if (!is_any_word_type(t2) || (t2 == T_ISSUE && t1 != T_ISSUE)) return -2;
    uint32_t s1 = word_symbol(value1);
    uint32_t s2 = word_symbol(value2);
    bool canonical_equal = symbol_resolve(s1) == symbol_resolve(s2);
    switch (op) {
    case kCmpSame:
        return s1 == s2 && word_context(value1) == word_context(value2) && t1 == t2 ? 0 : 1;
    case kCmpStrictWord:
        if (word_vs_lit_word(t1, t2)) return s1 == s2 ? 0 : 1;
        return t1 == t2 && s1 == s2 ? 0 : 1;
    case kCmpStrictEqual:
        return t1 == t2 && s1 == s2 ? 0 : 1;
    case kCmpStrictPath:
        if (word_vs_lit_word(t1, t2)) return canonical_equal ? 0 : 1;
        return t1 == t2 && canonical_equal ? 0 : 1;
    case kCmpEqual:
    case kCmpNotEqual:
    case kCmpFind:
        return canonical_equal ? 0 : 1;
    default:
        return compare_spellings(s1, s2, op);
    }
}

void word_row(ActionList& row) {
    row.set<A_MAKE>(word_make)
        .set<A_TO>(word_make)
        .set<A_FORM>(word_form)
        .set<A_MOLD>(word_mold)
        .set<A_COMPARE>(word_compare)
        .set<A_INDEX_Q>(word_index_q);
}

namespace {
ActionList& word_kin(ActionList& row, bool index) {
    row.inherit(A_MAKE).inherit(A_TO).inherit(A_FORM).inherit(A_COMPARE);
    if (index) row.inherit(A_INDEX_Q);
    return row;
}
} // namespace

void set_word_row(ActionList& row) {
    word_kin(row, true).set<A_MOLD>(set_word_mold);
}
void lit_word_row(ActionList& row) {
    word_kin(row, true).set<A_MOLD>(lit_word_mold);
}
void get_word_row(ActionList& row) {
    word_kin(row, true).set<A_MOLD>(get_word_mold);
}
void refinement_row(ActionList& row) {
    word_kin(row, false).set<A_MOLD>(refinement_mold);
}
void issue_row(ActionList& row) {
    row.set<A_MAKE>(issue_make)
        .set<A_TO>(issue_make)
        .inherit(A_FORM)
        .set<A_MOLD>(issue_mold)
        .set<A_COMPARE>(issue_compare);
}

void word_mark_cell(Cell* c) {
    collector_mark_context(&c->data1);
}

} // namespace xel
