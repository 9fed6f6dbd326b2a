// Fatal run-time errors: one reporter for processor faults, heap exhaustion,
// uncaught low-level throws and unmatched internal choices; number 0 is the
// silent normal exit of the whole program.
#pragma once
#include <cstdint>

namespace xel {

enum RuntimeErrorNumber : int {
    kErrNone = 0,
    kErrOutOfMemory = 94,
    kErrNoCatch = 95,
    kErrAssertion = 98,
    kErrUnknown = 99,
    kErrNoCase = 100,
    kErrNoSwitch = 101,
};

// The text of an error number, as the report shows it.
const char* runtime_error_text(int number);

// Writes "*** Runtime Error %d: %s\n*** at: %08Xh" into buf (NUL-terminated,
// no heap use); returns its length.
int format_runtime_error(char* buf, int size, int number, uint32_t address);

// Reports (number 0: nothing), frees the tracked heap and exits with the number.
[[noreturn]] void runtime_error(int number, uint32_t address);

// Shows a fatal report where a display exists; set by the window layer.
extern void (*g_fatal_message_box)(const char* title, const char* text);

// Installs the fault handlers on an alternate stack (the exception filter).
void install_fault_filter();

} // namespace xel
