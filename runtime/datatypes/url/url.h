// url!: a string kind for resource locators. Its text is held decoded; mold
// writes it percent-encoded, and path access appends a segment to a copy.
// read and write of http urls go to the HTTP service (url-io.cpp).
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// The bytes a url may show as they are: every printable ASCII character but
// the blank and " % ; < > [ \ ] ^ ` { | }. The strict set holds only the
// unreserved characters A-Z a-z 0-9 - . _ ~. Bytes from 128 up are never in.
bool url_byte_allowed(uint8_t byte);
bool url_byte_unreserved(uint8_t byte);

// The mode of url_encode that selects the strict set.
constexpr int kUrlEncodeStrict = 0xFE;

// Appends the UTF-8 bytes of the source string (from its position) to the
// destination string, "%XX" (upper-case digits) for each byte outside the
// set the mode chooses.
void url_encode(const Cell* src, Cell* dst, int mode);

int url_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
             int indent);
// make and to: a block!, paren! or hash! spec builds a url from parts
// (scheme, host, an optional integer! port, then path segments, an issue!
// as the fragment); any other spec, and a file! target, is the string conversion.
Cell* url_make(Cell* proto, Cell* spec, int type);
Cell* url_to(Cell* proto, Cell* spec, int type);
// Reading gives a new value of the url's type with the element appended as
// a segment (one "/" between them); setting raises script bad-path-set.
Cell* url_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                    Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);

// read and write of an http or https url: a request through the HTTP service
// (write takes [method headers data] or the data of a POST); its answer, or
// access no-connect with the url when there is none. /part, /seek and /as of
// read, /seek, /allow and /as of write, and other schemes raise internal not-done.
Cell* url_read(Cell* source, Cell* part, Cell* seek, bool binary, bool lines, bool info, Cell* as);
Cell* url_write(Cell* destination, Cell* data, bool binary, bool lines, bool info, bool append,
                Cell* part, Cell* seek, Cell* allow, Cell* as);

} // namespace xel
