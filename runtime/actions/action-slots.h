// The 62 action slots in row order, and the typed signature of each slot's
// implementation in a datatype's action row.
//
// Conventions for every implementation:
// - Arguments arrive as cell pointers; a refinement's argument is its cell or
//   nullptr when the refinement is absent; a refinement without argument is a bool.
// - Results go to the current frame's result slot (stack_arguments()) and the
//   implementation returns that cell, unless its signature returns a plain
//   number (form, mold, compare, length?, even?, odd?).
// - "Direct" slots have no typed arguments: the implementation reads its
//   arguments from the current frame itself.
#pragma once
#include <cstdint>

#include "runtime/cell.h"

namespace xel {

enum ActionSlot : int {
    A_MAKE = 1,
    A_RANDOM,
    A_REFLECT,
    A_TO,
    A_FORM,
    A_MOLD,
    A_EVAL_PATH,
    A_SET_PATH,
    A_COMPARE,
    A_ABSOLUTE,
    A_ADD,
    A_DIVIDE,
    A_MULTIPLY,
    A_NEGATE,
    A_POWER,
    A_REMAINDER,
    A_ROUND,
    A_SUBTRACT,
    A_EVEN_Q,
    A_ODD_Q,
    A_AND_T,
    A_COMPLEMENT,
    A_OR_T,
    A_XOR_T,
    A_APPEND,
    A_AT,
    A_BACK,
    A_CHANGE,
    A_CLEAR,
    A_COPY,
    A_FIND,
    A_HEAD,
    A_HEAD_Q,
    A_INDEX_Q,
    A_INSERT,
    A_LENGTH_Q,
    A_MOVE,
    A_NEXT,
    A_PICK,
    A_POKE,
    A_PUT,
    A_REMOVE,
    A_REVERSE,
    A_SELECT,
    A_SORT,
    A_SKIP,
    A_SWAP,
    A_TAIL,
    A_TAIL_Q,
    A_TAKE,
    A_TRIM,
    A_CREATE,
    A_CLOSE,
    A_DELETE,
    A_MODIFY,
    A_OPEN,
    A_OPEN_Q,
    A_QUERY,
    A_READ,
    A_RENAME,
    A_UPDATE,
    A_WRITE,
};

constexpr int kActionCount = 62;

// Signatures shared by several slots.
using DirectFn = void (*)();
using MakeFn = Cell* (*)(Cell* proto, Cell* spec, int type);
using UnaryFn = Cell* (*)(Cell* value);
// The refinements of find and select in one record; an absent one is null
// or false.
struct FindOptions {
    Cell* part = nullptr;
    Cell* with = nullptr;
    Cell* skip = nullptr;
    bool only = false;
    bool case_ = false;
    bool same = false;
    bool any = false;
    bool last = false;
    bool reverse = false;
    bool tail = false;
    bool match = false;
};
using FindFn = Cell* (*)(Cell* series, Cell* value, const FindOptions& o);
// The refinements of sort.
struct SortOptions {
    bool case_ = false;
    Cell* skip = nullptr;
    Cell* compare = nullptr;
    Cell* part = nullptr;
    bool all = false;
    bool reverse = false;
    bool stable = false;
};
// The refinements of trim.
struct TrimOptions {
    bool head = false;
    bool tail = false;
    bool auto_ = false;
    bool lines = false;
    bool all = false;
    Cell* with = nullptr;
};
using InsertFn = Cell* (*)(Cell* series, Cell* value, Cell* part, bool only, Cell* dup);

template <int Slot> struct ActionSig { using type = DirectFn; };
#define XEL_ACTION_SIG(slot, ...)                                                                  \
    template <> struct ActionSig<slot> { using type = __VA_ARGS__; }

XEL_ACTION_SIG(A_MAKE, MakeFn);
XEL_ACTION_SIG(A_RANDOM, Cell* (*)(Cell* value, bool seed, bool secure, bool only));
XEL_ACTION_SIG(A_REFLECT, Cell* (*)(Cell* value, Cell* field));
XEL_ACTION_SIG(A_TO, MakeFn);
// Appends to the string in buffer; returns part less the characters appended.
XEL_ACTION_SIG(A_FORM, int (*)(Cell* value, Cell* buffer, Cell* arg, int part));
XEL_ACTION_SIG(A_MOLD, int (*)(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg,
                               int part, int indent));
// value is the value to set, or nullptr when reading.
XEL_ACTION_SIG(A_EVAL_PATH,
               Cell* (*)(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                         Cell* p_item, int index, bool case_, bool get, bool tail, bool notify));
// -1, 0, 1, or -2 when the values cannot be compared under op.
XEL_ACTION_SIG(A_COMPARE, int (*)(Cell* value1, Cell* value2, int op));
XEL_ACTION_SIG(A_NEGATE, UnaryFn);
XEL_ACTION_SIG(A_ROUND, Cell* (*)(Cell* value, Cell* scale, bool even, bool down, bool half_down,
                                  bool floor, bool ceiling, bool half_ceiling));
XEL_ACTION_SIG(A_EVEN_Q, bool (*)(Cell* value));
XEL_ACTION_SIG(A_ODD_Q, bool (*)(Cell* value));
XEL_ACTION_SIG(A_COMPLEMENT, UnaryFn);
XEL_ACTION_SIG(A_APPEND, InsertFn);
XEL_ACTION_SIG(A_CHANGE, InsertFn);
XEL_ACTION_SIG(A_CLEAR, UnaryFn);
XEL_ACTION_SIG(A_COPY, Cell* (*)(Cell* value, Cell* part, bool deep, Cell* types));
XEL_ACTION_SIG(A_FIND, FindFn);
XEL_ACTION_SIG(A_INSERT, InsertFn);
// Units from the position to the tail; -1 reads as none.
XEL_ACTION_SIG(A_LENGTH_Q, int (*)(Cell* value));
XEL_ACTION_SIG(A_MOVE, Cell* (*)(Cell* origin, Cell* target, Cell* part));
XEL_ACTION_SIG(A_PICK, Cell* (*)(Cell* series, int index, Cell* boxed));
XEL_ACTION_SIG(A_POKE, Cell* (*)(Cell* series, int index, Cell* data, Cell* boxed));
XEL_ACTION_SIG(A_PUT, Cell* (*)(Cell* series, Cell* key, Cell* value, bool case_));
XEL_ACTION_SIG(A_REMOVE, Cell* (*)(Cell* series, Cell* part, Cell* key));
XEL_ACTION_SIG(A_REVERSE, Cell* (*)(Cell* series, Cell* part, Cell* skip));
XEL_ACTION_SIG(A_SELECT, FindFn);
XEL_ACTION_SIG(A_SORT, Cell* (*)(Cell* series, const SortOptions& o));
XEL_ACTION_SIG(A_SWAP, Cell* (*)(Cell* series1, Cell* series2));
XEL_ACTION_SIG(A_TAKE, Cell* (*)(Cell* series, Cell* part, bool deep, bool last));
XEL_ACTION_SIG(A_TRIM, Cell* (*)(Cell* series, const TrimOptions& o));
XEL_ACTION_SIG(A_CREATE, UnaryFn);
XEL_ACTION_SIG(A_CLOSE, UnaryFn);
XEL_ACTION_SIG(A_DELETE, UnaryFn);
XEL_ACTION_SIG(A_MODIFY, Cell* (*)(Cell* target, Cell* field, Cell* value, bool case_));
XEL_ACTION_SIG(A_OPEN, Cell* (*)(Cell* spec, bool new_, bool read, bool write, bool seek,
                                 bool allow, Cell* access));
XEL_ACTION_SIG(A_OPEN_Q, UnaryFn);
XEL_ACTION_SIG(A_QUERY, UnaryFn);
XEL_ACTION_SIG(A_READ, Cell* (*)(Cell* source, Cell* part, Cell* seek, bool binary, bool lines,
                                 bool info, Cell* as));
XEL_ACTION_SIG(A_RENAME, Cell* (*)(Cell* from, Cell* to));
XEL_ACTION_SIG(A_UPDATE, UnaryFn);
XEL_ACTION_SIG(A_WRITE, Cell* (*)(Cell* destination, Cell* data, bool binary, bool lines, bool info,
                                  bool append, Cell* part, Cell* seek, Cell* allow, Cell* as));
#undef XEL_ACTION_SIG

// An entry of a registration list: a function, 0 (the type lacks the
// action) or kInheritAction (take the parent's entry as it stands).
using ActionEntry = uintptr_t;
constexpr ActionEntry kInheritAction = ~ActionEntry{0};

// The list handed to datatype_register: type id, parent id, name, then one
// entry per slot. Slots are set with their typed signature checked.
struct ActionList {
    ActionEntry words[3 + kActionCount] = {};

    ActionList(uint8_t id, uint8_t parent, const char* name) {
        words[0] = id;
        words[1] = parent;
        words[2] = reinterpret_cast<ActionEntry>(name);
    }
    template <int Slot> ActionList& set(typename ActionSig<Slot>::type fn) {
        words[2 + Slot] = reinterpret_cast<ActionEntry>(fn);
        return *this;
    }
    ActionList& inherit(int slot) {
        words[2 + slot] = kInheritAction;
        return *this;
    }
    ActionList& inherit_all() {
        for (int s = 1; s <= kActionCount; s++)
            words[2 + s] = kInheritAction;
        return *this;
    }
    static constexpr uint32_t count() { return 3 + kActionCount; }
};

} // namespace xel
