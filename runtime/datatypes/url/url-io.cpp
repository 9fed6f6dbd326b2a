// url! read and write: http and https urls go to the HTTP service; the
// scheme decides, so other services can be served beside it.
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/url/url.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "services/http/request-http.h"

namespace xel {

namespace {

bool is_http(const Cell* url) {
    return string_starts_with(url, "http");
}

[[noreturn]] void not_done() {
    error_fire(kCatInternal, err::internal::kNotDone);
}

Cell* http_answer(const Cell* method, const Cell* url, const Cell* headers, const Cell* data,
                  bool binary, bool lines, bool info) {
    Cell* out = stack_push_cell();
    *out = Cell{T_NONE, 0, 0, 0};
    if (!http_request(method, url, headers, data, binary, lines, info, out)) {
        Cell u = *url;
        error_fire(kCatAccess, err::access::kNoConnect, &u);
    }
    Cell answer = *out;
    stack_pop(1);
    return stack_set_last(&answer);
}

[[noreturn]] void invalid_arg(const Cell* value) {
    Cell v = *value;
    error_fire(kCatScript, err::script::kInvalidArg, &v);
}

} // namespace

Cell* url_read(Cell* source, Cell* part, Cell* seek, bool binary, bool lines, bool info, Cell* as) {
    if (!is_http(source) || part || seek || as) not_done();
    Cell get = *word_load("get");
    Cell none{T_NONE, 0, 0, 0};
    return http_answer(&get, source, &none, &none, binary, lines, info);
}

Cell* url_write(Cell* destination, Cell* data, bool binary, bool lines, bool info, bool, Cell*,
                Cell* seek, Cell* allow, Cell* as) {
    if (!is_http(destination) || seek || allow || as) not_done();
    Cell none{T_NONE, 0, 0, 0};
    Cell method = *word_load("post");
    Cell headers = none;
    Cell body = *data;
    uint8_t type = type_of(data);
    if (type == T_BLOCK) {
        Cell spec = *data;
        int32_t n = block_length_at(&spec);
        auto from = static_cast<uint32_t>(block_index(&spec));
        body = none;
        if (n == 0) method = *word_load("get");
        if (n > 0) {
            method = *block_cell_at(&spec, from);
            if (type_of(&method) != T_WORD) invalid_arg(&method);
        }
        if (n > 1) {
            headers = *block_cell_at(&spec, from + 1);
            if (type_of(&headers) != T_BLOCK) invalid_arg(&headers);
        }
        if (n > 2) {
            body = *block_cell_at(&spec, from + 2);
            uint8_t t = type_of(&body);
            if (t != T_STRING && t != T_BINARY && t != T_NONE) invalid_arg(&body);
        }
    } else if (type != T_STRING && type != T_BINARY) {
        invalid_arg(data);
    }
    return http_answer(&method, destination, &headers, &body, binary, lines, info);
}

} // namespace xel
