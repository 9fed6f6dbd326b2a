// The actions of event!: make from a spec block, form and mold, compare, and
// the fields by path and by pick.
#include <cstring>

#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/char/char.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/event/event-cell.h"
#include "runtime/datatypes/event/event.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/pair/pair-cell.h"
#include "runtime/datatypes/path/path-fields.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/memory/collector.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/symbols.h"

namespace xel {

const char* const kEventTypeNames[kEventTypeCount] = {
    "down",   "up",      "mid-down",  "mid-up",   "alt-down", "alt-up",  "aux-down",
    "aux-up", "click",   "dbl-click", "wheel",    "over",     "key",     "key-down",
    "key-up", "ime",     "focus",     "unfocus",  "enter",    "zoom",    "pan",
    "rotate", "two-tap", "press-tap", "select",   "change",   "menu",    "close",
    "move",   "resize",  "moving",    "resizing", "time",     "drawing", "scroll",
};

namespace {

enum Field : int {
    kFieldType = 1,
    kFieldFace,
    kFieldWindow,
    kFieldOffset,
    kFieldKey,
    kFieldPicked,
    kFieldFlags,
    kFieldAway,
    kFieldDown,
    kFieldMidDown,
    kFieldAltDown,
    kFieldAuxDown,
    kFieldCtrl,
    kFieldShift,
    kFieldOrientation,
};
constexpr int kFieldCount = 15;

const char* const kFieldNames[kFieldCount] = {
    "type",  "face",      "window",    "offset",    "key",   "picked", "flags",       "away?",
    "down?", "mid-down?", "alt-down?", "aux-down?", "ctrl?", "shift?", "orientation",
};

// The flag words of the flags field, in their order, and the bit of each.
struct FlagWord {
    const char* name;
    uint32_t bit;
};
const FlagWord kFlagWords[] = {
    {"away", kFlagAway},        {"down", kFlagDown},        {"mid-down", kFlagMidDown},
    {"alt-down", kFlagAltDown}, {"aux-down", kFlagAuxDown}, {"control", kFlagCtrl},
    {"shift", kFlagShift},      {"alt", kFlagAlt},
};
// The logic fields away? to shift? test these bits.
const uint32_t kLogicBits[] = {kFlagAway,    kFlagDown, kFlagMidDown, kFlagAltDown,
                               kFlagAuxDown, kFlagCtrl, kFlagShift};

uint32_t canonical(const char* name) {
    return symbol_resolve(word_symbol(word_load(name)));
}

// 1 to 15 for a field word, else 0.
int field_of_word(const Cell* word) {
    uint32_t s = symbol_resolve(word_symbol(word));
    for (int i = 0; i < kFieldCount; i++)
        if (s == canonical(kFieldNames[i])) return i + 1;
    return 0;
}

uint32_t flag_bit_of_word(const Cell* word) {
    uint32_t s = symbol_resolve(word_symbol(word));
    for (const FlagWord& f : kFlagWords)
        if (s == canonical(f.name)) return f.bit;
    if (s == canonical("command")) return kFlagCommand;
    return 0;
}

Cell type_word(uint32_t code) {
    Cell w = g_none_cell;
    if (code >= 1 && code <= kEventTypeCount) w = *word_load(kEventTypeNames[code - 1]);
    return w;
}

Cell payload_value(const Cell* event, int slot) {
    if (event_payload(event) == 0) {
        if (slot == 2) return Cell{T_PAIR, 0, 0, 0};
        if (slot == 3) return Cell{T_INTEGER, 0, 0, 0};
        return g_none_cell;
    }
    Cell block{T_BLOCK, 0, event_payload(event), 0};
    return *block_cell_at(&block, static_cast<uint32_t>(slot));
}

// The value of a field, pushed on the argument stack.
Cell* push_field(const Cell* event, int field) {
    uint32_t fk = event_flags_key(event);
    if (field >= kFieldAway && field <= kFieldShift)
        return logic_push((fk & kLogicBits[field - kFieldAway]) != 0);
    switch (field) {
    case kFieldType: {
        Cell w = type_word(event_type_code(event));
        return stack_push(&w);
    }
    case kFieldFlags: {
        Cell* block = block_push_new(8);
        for (const FlagWord& f : kFlagWords)
            if (fk & f.bit) word_load_in(block, f.name);
        return block;
    }
    default:
        break;
    }
    if (event_is_made(event)) {
        Cell v = g_none_cell;
        switch (field) {
        case kFieldFace:
            v = payload_value(event, 0);
            break;
        case kFieldWindow:
            v = payload_value(event, 1);
            break;
        case kFieldOffset:
            v = payload_value(event, 2);
            break;
        case kFieldPicked:
            v = payload_value(event, 3);
            break;
        case kFieldKey:
            if (fk & 0xFFFF) {
                v = Cell{T_CHAR, 0, 0, 0};
                char_set(&v, fk & 0xFFFF);
            }
            break;
        default:
            break;
        }
        return stack_push(&v);
    }
    const EventRecord* r = event_record_at(event_record_index(event));
    if (!r) return none_push();
    switch (field) {
    case kFieldFace:
        return stack_push(&r->face);
    case kFieldWindow:
        return stack_push(&r->window);
    case kFieldOffset:
        return stack_push(&r->offset);
    case kFieldKey:
        return stack_push(&r->key);
    case kFieldPicked:
        return stack_push(&r->picked);
    default:
        return stack_push(&r->orientation);
    }
}

Cell* box_field(const Cell* event, int field) {
    Cell v = *push_field(event, field);
    stack_pop(1);
    return stack_set_last(&v);
}

// A spec value: a bound word or get-word stands for its value.
Cell spec_value(const Cell* value) {
    Cell v = *value;
    if ((type_of(&v) == T_WORD || type_of(&v) == T_GET_WORD) && word_context(&v) != 0)
        return *context_get(&v);
    return v;
}

uint32_t type_code_or_fire(const Cell* word) {
    uint32_t code = event_type_of_word(word);
    if (code == 0) {
        Cell w = *word;
        error_fire(kCatScript, err::script::kNotEventType, &w);
    }
    return code;
}

} // namespace

uint32_t event_type_of_word(const Cell* word) {
    uint32_t s = symbol_resolve(word_symbol(word));
    for (uint32_t i = 0; i < kEventTypeCount; i++)
        if (s == canonical(kEventTypeNames[i])) return i + 1;
    return 0;
}

Cell* event_make(Cell*, Cell* spec, int) {
    if (type_of(spec) != T_BLOCK) {
        Cell type = datatype_cell(T_EVENT);
        error_fire_bad_make_arg(&type, spec);
    }
    Cell block = *spec;
    uint32_t code = 0;
    uint32_t fk = kEventMade;
    Cell payload[4] = {g_none_cell, g_none_cell, Cell{T_PAIR, 0, 0, 0}, Cell{T_INTEGER, 0, 0, 0}};
    bool has_payload = false;
    int32_t n = block_length_at(&block);
    for (int32_t i = 0; i + 1 < n; i += 2) {
        Cell key = *block_cell_at(&block, static_cast<uint32_t>(block_index(&block) + i));
        if (type_of(&key) != T_SET_WORD) continue;
        Cell raw = *block_cell_at(&block, static_cast<uint32_t>(block_index(&block) + i + 1));
        Cell value = spec_value(&raw);
        uint32_t s = symbol_resolve(word_symbol(&key));
        uint8_t t = type_of(&value);
        if (s == canonical("type")) {
            if (t == T_WORD || t == T_LIT_WORD) code = type_code_or_fire(&value);
        } else if (s == canonical("key")) {
            if (t == T_CHAR) fk |= char_value(&value) & 0xFFFF;
        } else if (s == canonical("flags")) {
            if (t == T_BLOCK)
                for (Cell* p = block_rs_head(&value); p < block_rs_tail(&value); p++)
                    if (is_any_word_type(type_of(p))) fk |= flag_bit_of_word(p);
        } else if (s == canonical("face") || s == canonical("window")) {
            if (t == T_OBJECT) {
                payload[s == canonical("face") ? 0 : 1] = value;
                has_payload = true;
            }
        } else if (s == canonical("offset")) {
            if (t == T_PAIR || t == T_POINT2D) {
                payload[2] = value;
                has_payload = true;
            }
        } else if (s == canonical("picked")) {
            if (t == T_INTEGER) {
                payload[3] = value;
                has_payload = true;
            }
        }
    }
    Offset node = 0;
    if (has_payload) {
        Cell made;
        block_make_at(&made, 4);
        for (const Cell& c : payload)
            block_append_copy(&made, &c);
        node = made.data2;
    }
    Cell* result = stack_arguments();
    event_make_at(result, code, node, fk);
    return result;
}

int event_form(Cell*, Cell* buffer, Cell*, int part) {
    string_concatenate_literal(buffer, "event");
    return part - 5;
}

int event_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    return event_form(value, buffer, arg, part);
}

int event_compare(Cell*, Cell* value2, int op) {
    if (type_of(value2) != T_EVENT) return -2;
    if (op == kCmpLesser || op == kCmpLesserEqual || op == kCmpGreater || op == kCmpGreaterEqual)
        return -2;
    return 0;
}

Cell* event_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool, bool, bool) {
    Cell sel = *element;
    int field = is_any_word_type(type_of(&sel)) ? field_of_word(&sel) : 0;
    if (field == 0) path_fire_invalid_selector(path, &sel);
    if (!value) return box_field(parent, field);
    Cell v = *value;
    if (field != kFieldType || type_of(&v) != T_WORD) {
        Cell p = path ? *path : sel;
        error_fire(kCatScript, err::script::kBadPathSet, &p, &sel);
    }
    event_set_type_code(parent, type_code_or_fire(&v));
    path_store_back(parent, path, gparent, p_item, index, case_);
    return stack_set_last(&v);
}

Cell* event_pick(Cell* series, int index, Cell* boxed) {
    int field = 0;
    if (boxed && is_any_word_type(type_of(boxed))) {
        field = field_of_word(boxed);
        if (field == 0) {
            Cell w = *boxed;
            Cell e = *series;
            error_fire(kCatScript, err::script::kCannotUse, &w, &e);
        }
    } else if (index >= 1 && index <= kFieldCount) {
        field = index;
    } else {
        pick_fire_out_of_range(index, boxed);
    }
    return box_field(series, field);
}

// A language-made event keeps its payload block; a native one names a record.
void event_mark_cell(Cell* c) {
    if (event_is_made(c)) collector_mark_block_node(&c->data2);
}

void event_row(ActionList& row) {
    row.set<A_MAKE>(event_make)
        .set<A_FORM>(event_form)
        .set<A_MOLD>(event_mold)
        .set<A_COMPARE>(event_compare)
        .set<A_EVAL_PATH>(event_eval_path)
        .set<A_PICK>(event_pick);
}

} // namespace xel
