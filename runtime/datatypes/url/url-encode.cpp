// The byte sets of urls and percent-encoding.
#include <cstring>
#include <string>

#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/url/url.h"

namespace xel {

bool url_byte_allowed(uint8_t byte) {
    return byte > ' ' && byte < 127 && !std::strchr("\"%;<>[\\]^`{|}", byte);
}

bool url_byte_unreserved(uint8_t byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

void url_encode(const Cell* src, Cell* dst, int mode) {
    bool strict = mode == kUrlEncodeStrict;
    std::string bytes = string_utf8_text(src);
    for (char c : bytes) {
        auto b = static_cast<uint8_t>(c);
        if (strict ? url_byte_unreserved(b) : url_byte_allowed(b)) {
            string_append_char(string_buffer(dst), b);
            continue;
        }
        string_append_char(string_buffer(dst), '%');
        string_concatenate_literal(dst, string_byte_to_hex(b));
    }
}

} // namespace xel
