#pragma once

namespace xel {

// Display rule of float_form_value: near-zero values show as zero and digit runs that end in
// "01" or "99" are retried with fewer digits. Set by the float options; initially on.
extern bool g_float_pretty;
// Kept for the float options; no conversion reads it.
extern bool g_float_full;

// Reads the decimal text [start, end), already validated, to the nearest double (ties to even).
// exponent_adjust is added to the text's power of ten (-2 reads "50" as 0.5). "1.#INF",
// "-1.#INF" and "1.#NaN" read back as infinities and the quiet NaN. When unconsumed is not null
// it receives the number of characters left unread, 0 when the whole text was read.
double float_from_text(const char* start, const char* end, int exponent_adjust, int* unconsumed);

// Text of x with the shortest digits that read back to x (max_digits 0), or with at most
// max_digits significant digits (up to 30) rounded half-even. Exponent form from 1e17 up and
// below 1e-7. pad writes whole numbers with ".0" ("100.0", "0.0"); without it "100", "0".
// The text lives in a buffer shared by all callers until the next call.
const char* float_form_text(double x, int max_digits, bool pad);

// Display text of x by kind: 0 float32 item, 1 float, 2 float32 percent item, 3 percent,
// 4 time seconds, 5 point coordinate. Kinds 2 and 3 take the percent already scaled by 100 and
// append "%". The text lives in a buffer shared by all callers until the next call.
const char* float_form_value(double x, int kind);

} // namespace xel
