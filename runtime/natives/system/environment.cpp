// set-env, get-env and list-env: the process environment, as UTF-8 text.
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/map/map.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/natives/native-call.h"
#include "runtime/natives/system/system-natives.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

// A variable's name: a string's text from its position, or a word's spelling.
std::string variable_name(const Cell* var) {
    if (type_of(var) >= T_WORD && type_of(var) <= T_GET_WORD) {
        uint32_t length = 0;
        const char* name = symbol_name(word_symbol(var), &length);
        return std::string(name, length);
    }
    return string_utf8_text(var);
}

} // namespace

uint32_t natives_set_env(int, const int32_t*) {
    std::string name = variable_name(call_arg(0));
    Cell value = *call_arg(1);
    if (type_of(&value) == T_STRING)
        os_set_env(name.c_str(), string_utf8_text(&value).c_str());
    else
        os_set_env(name.c_str(), nullptr);
    *stack_arguments() = value;
    return 0;
}

uint32_t natives_get_env(int, const int32_t*) {
    std::string name = variable_name(call_arg(0));
    Cell* result = stack_arguments();
    // The value may change between asking its length and reading it. The
    // fill tells a variable gone meanwhile (nothing copied) from an empty one.
    std::vector<char> buffer;
    for (uint32_t size = os_get_env(name.c_str(), nullptr, 0); size > 0;) {
        buffer.assign(size, 1);
        uint32_t got = os_get_env(name.c_str(), buffer.data(), size);
        if (got < size) {
            if (got == 0 && buffer[0] != 0) break;
            string_load_at(reinterpret_cast<const uint8_t*>(buffer.data()), got, result,
                           kEncodingUtf8);
            return 0;
        }
        size = got;
    }
    set_none(result);
    return 0;
}

uint32_t natives_list_env(int, const int32_t*) {
    char** env = os_environment();
    uint32_t n = 0;
    while (env[n])
        n++;
    // The map and each pair stay on the argument stack while they are built.
    Cell* map = stack_push_cell();
    map_make_new(map, 2 * n);
    for (uint32_t i = 0; i < n; i++) {
        const char* entry = env[i];
        const char* equals = std::strchr(entry, '=');
        if (!equals) continue;
        Cell* key = string_load(reinterpret_cast<const uint8_t*>(entry),
                                static_cast<uint32_t>(equals - entry), kEncodingUtf8);
        Cell* value = string_load(reinterpret_cast<const uint8_t*>(equals + 1),
                                  static_cast<uint32_t>(std::strlen(equals + 1)), kEncodingUtf8);
        map_store(map, key, value, kMapCase);
        stack_pop(2);
    }
    stack_set_last_keep(map);
    return 0;
}

} // namespace xel
