// The scanners and loaders of the token classes, and the helpers they share.
#pragma once
#include <cstdint>

#include "runtime/cell.h"
#include "runtime/lexer/lexer-state.h"

namespace xel {

using LexerScanner = void (*)(LexerState* s);
using LexerLoader = void (*)(LexerState* s, bool load);
// By token class; null where a class has none.
extern const LexerScanner g_lexer_scanners[kTokenClassCount];
extern const LexerLoader g_lexer_loaders[kTokenClassCount];

// Structure.
void lexer_push_marker(LexerState* s, uint8_t type, const uint8_t* opener, bool new_line);
// closer: the datatype a closer closes, or -1 for whatever is open.
void lexer_pop_marker(LexerState* s, int closer);
void lexer_end_path_segment(LexerState* s);
void lexer_scan_opener(LexerState* s);
void lexer_scan_block_close(LexerState* s);
void lexer_scan_paren_close(LexerState* s);
void lexer_scan_map_open(LexerState* s);
void lexer_scan_comma(LexerState* s);
void lexer_scan_comment(LexerState* s);
void lexer_scan_path(LexerState* s);
void lexer_scan_brace_open(LexerState* s);
void lexer_scan_brace_close(LexerState* s);
void lexer_scan_construct(LexerState* s);
// The map! invalid error for an odd count or a refused key in the open map.
void lexer_check_map(LexerState* s);
// Turns the block just closed into a map!.
void lexer_make_map(LexerState* s, Cell* block);

// Words.
void lexer_scan_word(LexerState* s);
void lexer_scan_issue(LexerState* s);
void lexer_load_word(LexerState* s, bool load);
void lexer_load_refinement(LexerState* s, bool load);
// Checks a spelling (valid UTF-8); error names type.
void lexer_check_word_text(LexerState* s, const uint8_t* start, const uint8_t* end, int type);
// Appends a word of the type spelled [start, end).
void lexer_load_word_text(LexerState* s, const uint8_t* start, const uint8_t* end, uint8_t type);

// Strings.
// Decodes [start, end) into out: a string! of the unit the flags ask for,
// with "^" escapes when escapes is set. False on an invalid sequence.
bool lexer_decode_string(const uint8_t* start, const uint8_t* end, uint32_t flags, bool escapes,
                         Cell* out);
// The code point of the escape after a "^" at *p (advanced past it), or -1.
int32_t lexer_decode_escape(const uint8_t** p, const uint8_t* end);
// A string! of [start, end), invalid sequences replaced (error texts).
void lexer_make_text(const uint8_t* start, const uint8_t* end, Cell* out);
void lexer_check_string(LexerState* s, const uint8_t* start, const uint8_t* end);
// Appends the string [start, end) typed by the type hint.
void lexer_load_string_text(LexerState* s, const uint8_t* start, const uint8_t* end, bool escapes);
void lexer_check_quoted_string(LexerState* s);
void lexer_load_quoted_string(LexerState* s, bool load);
void lexer_load_raw_string(LexerState* s, bool load);
void lexer_load_char(LexerState* s, bool load);
void lexer_load_file(LexerState* s, bool load);
void lexer_load_url(LexerState* s, bool load);
void lexer_load_email(LexerState* s, bool load);
void lexer_load_tag(LexerState* s, bool load);
void lexer_load_ref(LexerState* s, bool load);

// Numbers.
void lexer_load_integer(LexerState* s, bool load);
void lexer_load_float(LexerState* s, bool load);
void lexer_load_special_float(LexerState* s, bool load);
void lexer_load_percent(LexerState* s, bool load);
void lexer_load_hex(LexerState* s, bool load);
void lexer_load_tuple(LexerState* s, bool load);
void lexer_load_pair(LexerState* s, bool load);
void lexer_load_point(LexerState* s, bool load);
void lexer_load_time(LexerState* s, bool load);
void lexer_load_money(LexerState* s, bool load);
void lexer_load_date(LexerState* s, bool load);
void lexer_load_binary(LexerState* s, bool load);

// Number texts shared with the `to` conversions. Apostrophes between digits
// are skipped where the form allows them.
// Optional sign and decimal digits; false on a bad character, *overflow set
// (and false) past 32 bits; "-2147483648" is read.
bool lexer_read_integer(const uint8_t* start, const uint8_t* end, int32_t* out, bool* overflow);
// The float syntax check: sign, digits, one ".", exponent, apostrophes; at most 312 bytes.
bool lexer_check_float(const uint8_t* start, const uint8_t* end);
// Checked float text with apostrophes removed, to a double.
bool lexer_read_float(const uint8_t* start, const uint8_t* end, int exponent_adjust, double* out);
// [sign] "1.#" then NaN or INF in any letter case.
bool lexer_read_special_float(const uint8_t* start, const uint8_t* end, double* out);
bool lexer_read_tuple(const uint8_t* start, const uint8_t* end, Cell* out);
bool lexer_read_money(const uint8_t* start, const uint8_t* end, Cell* out);

} // namespace xel
