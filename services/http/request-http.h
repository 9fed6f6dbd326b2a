// The HTTP service that url! read and write call: one request per call, its
// answer made into language values.
#pragma once
#include <string>

#include "runtime/cell.h"

namespace xel {

// Sends the request and leaves its answer in out, a cell the collector sees:
// the body as binary! (binary), a block of lines (lines) or a string!, and
// with info a block of the status integer!, the headers map! and the body.
// method is a word (get, head, post or any other, sent in upper case);
// headers a block of name/value pairs or none, which sends the default
// three; data a binary! or string! body, or none. Answers false, leaving out
// alone, when the request could not be made or its answer not read.
bool http_request(const Cell* method, const Cell* url, const Cell* headers, const Cell* data,
                  bool binary, bool lines, bool info, Cell* out);

// out becomes a map! of response header lines ("Name: value" CR LF): word
// keys, string! values, a block of every value of a name seen more than once.
void http_parse_headers(const std::string& text, Cell* out);

} // namespace xel
