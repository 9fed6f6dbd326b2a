#include "runtime/core/fatal.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "runtime/core/heap.h"

namespace xel {

void (*g_fatal_message_box)(const char* title, const char* text) = nullptr;

namespace {

// Texts are kept as the reporter has always shown them ("operan" included).
constexpr const char* kFaultTexts[] = {
    nullptr,
    "access violation",
    "invalid alignment",
    "breakpoint",
    "single step",
    "bounds exceeded",
    "float denormal operan",
    "float divide by zero",
    "float inexact result",
    "float invalid operation",
    "float overflow",
    "float stack check",
    "float underflow",
    "integer divide by zero",
    "integer overflow",
    "privileged instruction",
    "invalid virtual address",
    "illegal instruction",
    "non-continuable exception",
    "stack error or overflow",
    "invalid disposition",
    "guard page",
    "invalid handle",
    "illegal operand",
    "illegal addressing mode",
    "illegal trap",
    "coprocessor error",
    "non-existent physical address",
    "object specific hardware error",
    "hardware memory error consumed AR",
    "hardware memory error consumed AO",
    "privileged register",
    "segmentation fault",
    "FPU error",
    "Bus error",
};

int append(char* buf, int at, int size, const char* s) {
    while (*s && at < size - 1)
        buf[at++] = *s++;
    return at;
}

} // namespace

const char* runtime_error_text(int number) {
    if (number >= 1 && number <= 34) return kFaultTexts[number];
    switch (number) {
    case kErrOutOfMemory:
        return "out of memory";
    case kErrNoCatch:
        return "no CATCH for THROW";
    case kErrAssertion:
        return "assertion failed";
    case kErrUnknown:
        return "unknown error";
    case kErrNoCase:
        return "no value matched in CASE";
    case kErrNoSwitch:
        return "no value matched in SWITCH";
    default:
        return "unknown error code!";
    }
}

int format_runtime_error(char* buf, int size, int number, uint32_t address) {
    // Built by hand: the reporter must work inside a signal handler and
    // with the heap exhausted.
    char num[16];
    int n = 0;
    unsigned magnitude = number < 0 ? 0u - static_cast<unsigned>(number) : number;
    do {
        num[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (number < 0) num[n++] = '-';
    char digits[16];
    for (int i = 0; i < n; i++)
        digits[i] = num[n - 1 - i];
    digits[n] = 0;

    char hex[9];
    for (int i = 0; i < 8; i++)
        hex[i] = "0123456789ABCDEF"[(address >> (28 - 4 * i)) & 15];
    hex[8] = 0;

    int at = append(buf, 0, size, "*** Runtime Error ");
    at = append(buf, at, size, digits);
    at = append(buf, at, size, ": ");
    at = append(buf, at, size, runtime_error_text(number));
    at = append(buf, at, size, "\n*** at: ");
    at = append(buf, at, size, hex);
    at = append(buf, at, size, "h");
    buf[at] = 0;
    return at;
}

void runtime_error(int number, uint32_t address) {
    if (number != 0) {
        char text[512];
        int len = format_runtime_error(text, sizeof text, number, address);
        std::fflush(stdout);
        text[len] = '\n';
        (void)!write(2, text, len + 1);
        if (g_fatal_message_box) {
            text[len] = 0;
            g_fatal_message_box("Xel App Error", text);
        }
    }
    heap_free_all();
    std::exit(number);
}

} // namespace xel
