// The Xel sources of the environment, compiled into the program.
#pragma once

namespace xel {

struct EmbeddedSource {
    const char* name; // path below environment/, e.g. "boot/actions.xel"
    const char* text;
};

// Ends with an entry whose name is nullptr.
extern const EmbeddedSource g_embedded_sources[];

// The text of a source by name, or nullptr.
const char* embedded_source(const char* name);

} // namespace xel
