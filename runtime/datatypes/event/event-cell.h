// event!: one GUI event. Word 1 the event type code (1 to 35, 0 for a
// language-made event whose type is not set yet); word 2 for a native event
// the 1-based index of its record (event.h), for a language-made one the node
// of its payload block (face, window, offset, picked) or 0; word 3 the flags
// and key: the key in the low 16 bits (a native key beyond U+FFFF fills the
// low 21 bits), kEventMade for a language-made event, the flag bits above.
// A native event carries header bit kEventNative: a native key such as
// U+1F600 sets the kEventMade bit too, so that bit alone cannot tell.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

constexpr uint32_t kEventMade = 0x10000;
constexpr uint32_t kEventNative = 1u << 16; // header bit

inline uint32_t event_type_code(const Cell* c) {
    return c->data1;
}
inline void event_set_type_code(Cell* c, uint32_t code) {
    c->data1 = code;
}
inline uint32_t event_flags_key(const Cell* c) {
    return c->data3;
}
inline bool event_is_made(const Cell* c) {
    return (c->header & kEventNative) == 0;
}
inline Offset event_payload(const Cell* c) {
    return c->data2;
}
inline uint32_t event_record_index(const Cell* c) {
    return c->data2;
}
inline void event_make_at(Cell* c, uint32_t code, uint32_t payload, uint32_t flags_key) {
    *c = Cell{T_EVENT, code, payload, flags_key};
}
inline void event_make_native_at(Cell* c, uint32_t code, uint32_t record, uint32_t flags_key) {
    *c = Cell{T_EVENT | kEventNative, code, record, flags_key};
}

} // namespace xel
