#include "boot/embedded-sources.h"

#include <cstring>

namespace xel {

const char* embedded_source(const char* name) {
    for (const EmbeddedSource* s = g_embedded_sources; s->name; s++)
        if (!std::strcmp(s->name, name)) return s->text;
    return nullptr;
}

} // namespace xel
