#include "services/http/request-http.h"

#include <climits>
#include <cstring>
#include <string_view>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/binary/binary-cell.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"
#include "services/http/http-transfer.h"
#include "services/simple-io/text-load.h"

namespace xel {

namespace {

// Room for the headers of a typical response.
constexpr uint32_t kHeaderEntries = 20;

std::string molded(const Cell* value) {
    Cell* text = stack_push_cell();
    string_make_at(text, 64);
    Cell v = *value;
    actions_mold_typed(&v, text, false, false, false, nullptr, INT_MAX, 0);
    std::string out = string_utf8_text(text);
    stack_pop(1);
    return out;
}

std::string method_text(const Cell* method) {
    std::string text = symbol_name(word_symbol(method));
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string header_line(const Cell* name, const Cell* value) {
    std::string line =
        is_any_word_type(type_of(name)) ? symbol_name(word_symbol(name)) : molded(name);
    std::string text = type_of(value) == T_STRING ? string_utf8_text(value) : molded(value);
    // libcurl reads "Name:" as a header to remove; "Name;" sends it empty.
    if (text.empty()) return line + ";";
    return line + ": " + text;
}

void request_headers(const Cell* headers, std::vector<std::string>* out) {
    if (type_of(headers) != T_BLOCK) {
        out->assign({"Content-Type: application/x-www-form-urlencoded", "Accept-Charset: UTF-8",
                     "User-Agent: Mozilla/5.0 (Windows NT 6.1; Win64; x64)"});
        return;
    }
    Cell block = *headers;
    int32_t n = block_length_at(&block);
    auto from = static_cast<uint32_t>(block_index(&block));
    for (int32_t i = 0; i + 1 < n; i += 2) {
        Cell name = *block_cell_at(&block, from + static_cast<uint32_t>(i));
        Cell value = *block_cell_at(&block, from + static_cast<uint32_t>(i) + 1);
        out->push_back(header_line(&name, &value));
    }
}

void request_body(const Cell* data, HttpRequest* request) {
    if (type_of(data) == T_BINARY) {
        request->has_body = true;
        request->body.assign(reinterpret_cast<const char*>(binary_xs_head(data)),
                             binary_xs_length(data));
    } else if (type_of(data) == T_STRING) {
        request->has_body = true;
        request->body = string_utf8_text(data);
    }
}

void body_value(const HttpResponse& response, const Cell* placed, bool binary, bool lines,
                Cell* out) {
    if (response.placed) {
        *out = *placed;
        return;
    }
    const std::string& body = response.body;
    const auto* bytes = reinterpret_cast<const uint8_t*>(body.data());
    auto n = static_cast<uint32_t>(body.size());
    if (binary) {
        binary_make_at(out, n);
        binary_xs_append(out, bytes, n);
    } else if (lines) {
        simple_io_split_lines(bytes, n, out);
    } else {
        simple_io_load_text(bytes, n, out);
    }
}

} // namespace

void http_parse_headers(const std::string& text, Cell* out) {
    map_make_new(out, 2 * kHeaderEntries);
    Cell* key = stack_push_cell();
    Cell* value = stack_push_cell();
    Cell* all = stack_push_cell();
    Cell* first = stack_push_cell();
    std::string_view rest(text);
    while (!rest.empty()) {
        size_t end = rest.find("\r\n");
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
        size_t colon = line.find(':');
        if (colon == 0 || colon == std::string_view::npos || line[0] == ' ' || line[0] == '\t')
            continue;
        std::string_view field = line.substr(colon + 1);
        field.remove_prefix(std::min(field.find_first_not_of(" \t"), field.size()));
        word_make_at(key, symbol_make_from_buffer(reinterpret_cast<const uint8_t*>(line.data()),
                                                  static_cast<uint32_t>(colon)));
        series_set_cell(value, T_STRING,
                        string_load_utf8_whole(reinterpret_cast<const uint8_t*>(field.data()),
                                               static_cast<uint32_t>(field.size()), false),
                        0);
        Cell* seen = map_lookup(out, key, kMapFold);
        if (!seen) {
            map_store(out, key, value, kMapFold);
        } else if (type_of(seen) == T_BLOCK) {
            *all = *seen;
            block_append_copy(all, value);
        } else {
            *first = *seen;
            block_make_at(all, 4);
            block_append_copy(all, first);
            block_append_copy(all, value);
            map_store(out, key, all, kMapFold);
        }
    }
    stack_pop(4);
}

bool http_request(const Cell* method, const Cell* url, const Cell* headers, const Cell* data,
                  bool binary, bool lines, bool info, Cell* out) {
    HttpRequest request;
    request.method = method_text(method);
    request.url = molded(url);
    request_headers(headers, &request.headers);
    if (request.method != "GET" && request.method != "HEAD") request_body(data, &request);
    // A binary answer is received straight into its binary!.
    Cell* placed = stack_push_cell();
    set_none(placed);
    if (binary) {
        request.place_body = [placed](size_t n) {
            return binary_make_sized(placed, static_cast<uint32_t>(n));
        };
    }
    HttpResponse response;
    bool answered = http_transfer(request, &response);
    request = HttpRequest{};
    if (!answered) {
        stack_pop(1);
        return false;
    }
    if (!info) {
        body_value(response, placed, binary, lines, out);
        stack_pop(1);
        return true;
    }
    block_make_at(out, 3);
    Cell status = integer_cell(static_cast<int32_t>(response.status));
    block_append_copy(out, &status);
    Cell* part = stack_push_cell();
    http_parse_headers(response.headers, part);
    block_append_copy(out, part);
    body_value(response, placed, binary, lines, part);
    block_append_copy(out, part);
    stack_pop(2);
    return true;
}

} // namespace xel
