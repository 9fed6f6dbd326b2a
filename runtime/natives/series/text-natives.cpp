// uppercase and lowercase in place; dehex and enhex into new strings.
#include <string>

#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/url/url-decode.h"
#include "runtime/datatypes/url/url.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/series/series-natives.h"
#include "runtime/text/casefold.h"

namespace xel {

uint32_t natives_uppercase(int, const int32_t* refs) {
    casefold_change_case(stack_arguments(), refs[0], kFoldUpper);
    return 0;
}

uint32_t natives_lowercase(int, const int32_t* refs) {
    casefold_change_case(stack_arguments(), refs[0], kFoldLower);
    return 0;
}

// Percent escapes decoded, the bytes read as UTF-8.
uint32_t natives_dehex(int, const int32_t*) {
    Cell* result = stack_arguments();
    std::string text = string_utf8_text(result);
    string_make_at(result, static_cast<uint32_t>(text.size()));
    url_decode_utf8(reinterpret_cast<const uint8_t*>(text.data()),
                    static_cast<uint32_t>(text.size()), result);
    return 0;
}

// Every UTF-8 byte but the unreserved characters (A-Z a-z 0-9 - . _ ~) as
// "%XX", the escape that text put in a URL's parts needs.
uint32_t natives_enhex(int, const int32_t*) {
    Cell* result = stack_arguments();
    Cell source = *result;
    string_make_at(result, static_cast<uint32_t>(string_xs_length(&source)));
    url_encode(&source, result, kUrlEncodeStrict);
    return 0;
}

} // namespace xel
