// Datatype ids, fixed by registration order; stored in the low byte of every
// cell header and in saved data, so they never move.
#pragma once
#include <cstdint>

namespace xel {

enum TypeId : uint8_t {
    T_DATATYPE = 1,
    T_UNSET = 2,
    T_NONE = 3,
    T_LOGIC = 4,
    T_BLOCK = 5,
    T_PAREN = 6,
    T_STRING = 7,
    T_FILE = 8,
    T_URL = 9,
    T_CHAR = 10,
    T_INTEGER = 11,
    T_FLOAT = 12,
    T_SYMBOL = 13,
    T_CONTEXT = 14,
    T_WORD = 15,
    T_SET_WORD = 16,
    T_LIT_WORD = 17,
    T_GET_WORD = 18,
    T_REFINEMENT = 19,
    T_ISSUE = 20,
    T_NATIVE = 21,
    T_ACTION = 22,
    T_OP = 23,
    T_FUNCTION = 24,
    T_PATH = 25,
    T_LIT_PATH = 26,
    T_SET_PATH = 27,
    T_GET_PATH = 28,
    T_ROUTINE = 29,
    T_BITSET = 30,
    T_TRIPLE = 31,
    T_OBJECT = 32,
    T_TYPESET = 33,
    T_ERROR = 34,
    T_VECTOR = 35,
    T_HASH = 36,
    T_PAIR = 37,
    T_PERCENT = 38,
    T_TUPLE = 39,
    T_MAP = 40,
    T_BINARY = 41,
    T_SERIES = 42,
    T_TIME = 43,
    T_TAG = 44,
    T_EMAIL = 45,
    T_HANDLE = 46,
    T_DATE = 47,
    T_PORT = 48,
    T_MONEY = 49,
    T_REF = 50,
    T_POINT2D = 51,
    T_POINT3D = 52,
    T_IMAGE = 53,
    T_EVENT = 54,
    // Internal: a string position with a unit count in word 3, hashed as a
    // string of that length; never a value a script sees.
    T_SLICE = 56,
};

constexpr int kTypeTableSize = 57;

} // namespace xel
