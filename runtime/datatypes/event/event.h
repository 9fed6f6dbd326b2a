// event!: the type codes and flag bits every part of the GUI shares, the
// records of native events, and the actions of its row.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

// Event type codes; the word of code n is kEventTypeNames[n - 1].
enum EventType : uint32_t {
    kEvDown = 1,
    kEvUp,
    kEvMidDown,
    kEvMidUp,
    kEvAltDown,
    kEvAltUp,
    kEvAuxDown,
    kEvAuxUp,
    kEvClick,
    kEvDblClick,
    kEvWheel,
    kEvOver,
    kEvKey,
    kEvKeyDown,
    kEvKeyUp,
    kEvIme,
    kEvFocus,
    kEvUnfocus,
    kEvEnter,
    kEvZoom,
    kEvPan,
    kEvRotate,
    kEvTwoTap,
    kEvPressTap,
    kEvSelect,
    kEvChange,
    kEvMenu,
    kEvClose,
    kEvMove,
    kEvResize,
    kEvMoving,
    kEvResizing,
    kEvTime,
    kEvDrawing,
    kEvScroll,
};
constexpr uint32_t kEventTypeCount = 35;
extern const char* const kEventTypeNames[kEventTypeCount];

// Flag bits of the flags and key word.
enum EventFlag : uint32_t {
    kFlagAuxDown = 0x400000,
    kFlagAltDown = 0x800000,
    kFlagMidDown = 0x1000000,
    kFlagDown = 0x2000000,
    kFlagAway = 0x4000000,
    kFlagCtrl = 0x10000000,
    kFlagShift = 0x20000000,
    kFlagAlt = 0x40000000,
    kFlagCommand = 0x80000000,
};

// The code of an event type word (any word type), or 0.
uint32_t event_type_of_word(const Cell* word);

// What a native event answers for the fields that depend on its input; the
// backend fills one for each event it raises and keeps it pushed while the
// event is handled. Cells of pushed records are roots.
struct EventRecord {
    Cell face;
    Cell window;
    Cell offset;
    Cell key;
    Cell picked;
    Cell orientation;
};

// Pushes a record; the result is the index a native event cell keeps.
uint32_t event_records_push(const EventRecord& record);
void event_records_pop();
// The record of an index, or nullptr once it was popped.
EventRecord* event_record_at(uint32_t index);

void event_register_routines();

} // namespace xel
