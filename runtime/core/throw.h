// Non-local exits of the run-time: one C++ exception type carries a 32-bit
// throw code; a catch point takes every code up to its level (unsigned).
#pragma once
#include <cstdint>

namespace xel {

enum ThrowCode : uint32_t {
    kThrowError = 0x7FFFFFFF,
    kThrowBreak = 0x7FFFFFFE,
    kThrowContinue = 0x7FFFFFFD,
    kThrowReturn = 0x7FFFFFFC,
    kThrowExit = 0x7FFFFFFB,
    kThrowThrow = 0x7FFFFFFA,
    kThrowVmNotObtained = 0x7FFFFFF7,
    kThrowVmNotReleased = 0x7FFFFFF6,
    kThrowQuit = 0x0BADCAFE,
};

// Catch levels in use: a level takes its own code and every lower one.
enum CatchLevel : uint32_t {
    kCatchErrors = 0x7FFFFFFF,
    kCatchLoop = 0x7FFFFFFE,
    kCatchThrow = 0x7FFFFFFA,
    kCatchMemory = 0x7FFFFFF8,
    kCatchAll = 0xFFFFFFFF,
};

struct Throw {
    uint32_t code;
};

// Stores the code as pending in the run-time record and unwinds.
[[noreturn]] void throw_code(uint32_t code);

// Runs body under a catch point of the given level. Returns 0 when body
// returned normally, or the caught code (still pending for the caller to
// clear or throw on). Codes above the level pass through.
template <class Body> inline uint32_t catch_at(uint32_t level, Body&& body) {
    try {
        body();
        return 0;
    } catch (const Throw& t) {
        if (t.code > level) throw;
        return t.code;
    }
}

} // namespace xel
