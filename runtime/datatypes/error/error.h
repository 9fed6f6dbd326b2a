// error!: an object! cell (context node, class id, event record) typed 34,
// whose context always has the ten fields below, in this order.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/actions/action-slots.h"
#include "runtime/cell.h"
#include "runtime/datatypes/context/context.h"

namespace xel {

enum ErrorField : uint32_t {
    kErrFieldCode = 0,
    kErrFieldType = 1,
    kErrFieldId = 2,
    kErrFieldArg1 = 3,
    kErrFieldArg2 = 4,
    kErrFieldArg3 = 5,
    kErrFieldNear = 6,
    kErrFieldWhere = 7,
    kErrFieldStack = 8,
    kErrFieldFiles = 9,
};
constexpr uint32_t kErrorFieldCount = 10;

inline Offset error_context(const Cell* error) {
    return error->data1;
}
// A field's value cell (valid until the next allocation).
inline Cell* error_field(const Cell* error, uint32_t field) {
    return context_value_at(error_context(error), field);
}

// What system/state/stack-trace (integer!: depth of call traces; none or 0:
// no "*** Stack: " line) and system/state/source-files (block!) stand for
// while no system object holds them.
extern Cell g_state_stack_trace;
extern Cell g_state_source_files;

// Makes the error prototype and the catalogue, installs the error raiser.
void error_init();

// out becomes a new error! of the category and id with up to three
// arguments (nullptr: absent).
void error_create_at(Cell* out, int category, int id, const Cell* arg1, const Cell* arg2,
                     const Cell* arg3);
// The category and id indexes of a catalogue word pair; false when unknown.
bool error_lookup(uint32_t category_symbol, uint32_t id_symbol, int* category, int* id);
// Stores where in the error's where field when that field is none!.
void error_set_where(Cell* error, const Cell* where);
// Stores the code near the error in its near field when that field is none!;
// the no-memory error, made once and raised again, is left as it is.
void error_set_near(Cell* error, const Cell* near);
// Symbols of the type and id fields (0 when they are not words).
uint32_t error_type_symbol(const Cell* error);
uint32_t error_id_symbol(const Cell* error);
inline uint32_t error_stack_field() {
    return kErrFieldStack;
}
// The word of argument n (from 0) of the function being called, or <anon>.
Cell error_arg_word(int n);
// script expect-arg for argument n of the function being called, whose value
// has the given type: the call's word, the datatype, the argument's word.
[[noreturn]] void error_fire_expect_arg(uint8_t type, int n);
// Resolves an integer! stack field into a block! of call words; copies the
// source files into files.
void error_capture_stack(Cell* error);
// Forms a message block into the string within budget; returns what is left.
int error_form_message(const Cell* message, Cell* string, const Cell* error, int budget);
// The formed error as UTF-8 text (the uncaught-error report).
std::string error_form_text(Cell* error);
// Its first line from the catalogue alone, for when forming finds no memory.
std::string error_headline(const Cell* error);

// Actions.
Cell* error_make(Cell* proto, Cell* spec, int type);
int error_form(Cell* value, Cell* buffer, Cell* arg, int part);
// "make error! [", the fields as an object molds them, "]".
int error_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent);
Cell* error_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);
int error_compare(Cell* value1, Cell* value2, int op);

} // namespace xel
