// Tracing: when on, the interpreter reports its steps to the tracer, a
// function! called with event, code, offset, value, ref and frame.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

enum TraceEvent : uint32_t {
    kTraceInit = 1,
    kTraceEnd = 2,
    kTraceProlog = 4,
    kTraceEpilog = 8,
    kTraceEnter = 16,
    kTraceExit = 32,
    kTraceOpen = 64,
    kTraceReturn = 128,
    kTraceFetch = 256,
    kTracePush = 512,
    kTraceSet = 1024,
    kTraceCall = 2048,
    kTraceError = 4096,
    kTraceThrow = 8192,
    kTraceCatch = 16384,
    kTraceExpr = 32768,
};

extern bool g_tracing;
extern bool g_tracer_installed;

void trace_init();

// The event mask a tracer asks for: the event words of a block at the head
// of its body, or every event.
uint32_t trace_event_mask(const Cell* tracer);

// Installs a tracer for one evaluation (do/trace) and fires init.
void trace_install(const Cell* tracer);
// Fires end and removes the tracer (the pending exit survives).
void trace_uninstall();

// Calls the tracer for one event when tracing is on and the mask has it.
// code may be nullptr; pos is the position in code the event is about.
void trace_fire(uint32_t event, const Cell* code, const Cell* pos, const Cell* ref,
                const Cell* value);

} // namespace xel
