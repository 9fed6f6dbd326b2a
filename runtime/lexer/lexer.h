// The lexer: Xel source text to values. One table-driven automaton serves
// loading (load, do, the console), validation without values (scan),
// classification of the first token (prescan) and the token trace of
// transcode through an event callback.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// Scan modes.
enum ScanFlags : uint32_t {
    kScanOneValue = 1, // stop after the first complete top-level value
    kScanLoad = 2,     // make values (otherwise tokens are only checked)
    kScanOutput = 4,   // copy the values to the result or the output block
    kScanBlock = 8,    // one-value mode still gives a block
    kScanPrescan = 16, // classify tokens only: no token is checked without a callback
};

// Events of the lexer callback, by bit.
enum LexerEvent : uint32_t {
    kEventPrescan = 1,
    kEventScan = 2,
    kEventLoad = 4,
    kEventOpen = 8,
    kEventClose = 16,
    kEventError = 32,
    kEventAll = 63,
};

// Builds the value buffer and the text buffer; run once by the run-time init.
void lexer_init();

// Scans length bytes of UTF-8 text. Errors are raised only with kScanLoad and
// kScanOutput both set; otherwise an error stops the scan and gives error!.
// With kScanOutput the values go to a new block! in result (or are appended
// to output_block); in one-value mode without kScanBlock the first value
// itself goes to result. consumed (may be null) receives the length scanned:
// code points when input is a string!, else bytes. callback is a function!
// or none!/null; input is the string! or binary! being scanned, or null.
// Returns the datatype id of the last token: 0 when nothing was loaded, 34
// after a stopped error.
int lexer_scan(Cell* result, const uint8_t* start, uint32_t length, uint32_t flags,
               int32_t* consumed, const Cell* callback, const Cell* input, Cell* output_block);

// lexer_scan over a string! from its position (length -1: to its tail),
// converted to UTF-8 in the text buffer first.
int lexer_load_string(Cell* result, const Cell* string, int32_t length, uint32_t flags,
                      int32_t* consumed, const Cell* callback, Cell* output_block);

// Loads the text into destination: the first loaded cell; the shared none!
// cell when not all the text was consumed; destination set to unset! (and
// returned) when nothing loaded.
Cell* lexer_scan_single(const Cell* string, Cell* destination);
// lexer_scan_single into the current frame's first cell.
Cell* lexer_load_single(const Cell* string);

// Calls mark on every cell that scans in progress hold: their output so far,
// their input values and callbacks.
void lexer_mark_states(void (*mark)(Cell* cell));

// Text-to-number conversions for `to`, over units of 1, 2 or 4 bytes. error
// receives 0, -1 for a bad character, or -2 for an integer overflow.
int32_t lexer_scan_integer(const uint8_t* start, int32_t length, uint32_t unit, int* error);
double lexer_scan_float(const uint8_t* start, int32_t length, uint32_t unit, int* error);
// Writes a tuple! into out.
void lexer_scan_tuple_text(Cell* out, const uint8_t* start, int32_t length, uint32_t unit,
                           int* error);
// Writes a money! into out.
void lexer_scan_money(Cell* out, const uint8_t* start, int32_t length, uint32_t unit, int* error);

} // namespace xel
