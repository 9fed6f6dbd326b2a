#include "runtime/datatypes/email/email.h"

#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "runtime/symbols/fixed-words.h"
#include "runtime/symbols/symbols.h"

namespace xel {

namespace {

enum class Field : uint8_t { None, User, Host };

Field field_of(const Cell* element) {
    if (!is_any_word_type(type_of(element))) return Field::None;
    uint32_t s = symbol_resolve(word_symbol(element));
    if (s == symbol_resolve(g_sym_user)) return Field::User;
    if (s == symbol_resolve(g_sym_host)) return Field::Host;
    return Field::None;
}

// A new string! of n units of the email from the absolute unit index.
Cell* copy_units(const Cell* mail, uint32_t from, uint32_t n) {
    Cell* made = stack_arguments();
    Cell source = *mail;
    string_make_at_unit(made, n, string_buffer(&source)->unit());
    source.data1 = from;
    string_concatenate(made, &source, static_cast<int>(n), 0, false, kConcatAppend);
    return made;
}

} // namespace

int email_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell* arg, int part, int) {
    return string_form(value, buffer, arg, part);
}

Cell* email_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell*, Cell*, int, bool,
                      bool, bool, bool) {
    Cell mail = *parent;
    Cell elem = *element;
    if (type_of(&elem) == T_INTEGER) {
        auto n = static_cast<int32_t>(elem.data2);
        return value ? series_poke(&mail, n, value, &elem) : series_pick(&mail, n, &elem);
    }
    Field field = field_of(&elem);
    Cell* where = path ? path : &elem;
    if (field == Field::None) error_fire(kCatScript, err::script::kInvalidPath, where, &elem);

    string_char_at_index(&mail);
    uint32_t from = mail.data1;
    auto length = static_cast<uint32_t>(string_xs_length(&mail));
    int found = string_find_char(&mail, '@');
    uint32_t at_sign = found < 0 ? length : static_cast<uint32_t>(found);
    if (field == Field::Host && found < 0) {
        if (value) error_fire(kCatScript, err::script::kBadPathSet, where, &elem);
        Cell* result = stack_arguments();
        set_none(result);
        return result;
    }
    uint32_t start = field == Field::User ? from : from + at_sign + 1;
    uint32_t n = field == Field::User ? at_sign : length - at_sign - 1;
    if (!value) return copy_units(&mail, start, n);

    Cell v = *value;
    Cell target = mail;
    target.data1 = start;
    Cell range;
    set_integer(&range, static_cast<int32_t>(n));
    string_change(&target, &v, &range, false, nullptr);
    return stack_set_last(&v);
}

void email_row(ActionList& row) {
    for (int slot :
         {A_MAKE,     A_REFLECT, A_TO,   A_FORM, A_COMPARE, A_APPEND, A_AT,      A_BACK,
          A_CHANGE,   A_CLEAR,   A_COPY, A_FIND, A_HEAD,    A_HEAD_Q, A_INDEX_Q, A_INSERT,
          A_LENGTH_Q, A_MOVE,    A_NEXT, A_PICK, A_POKE,    A_PUT,    A_REMOVE,  A_REVERSE,
          A_SELECT,   A_SKIP,    A_SWAP, A_TAIL, A_TAIL_Q,  A_TAKE,   A_MODIFY})
        row.inherit(slot);
    row.set<A_MOLD>(email_mold).set<A_EVAL_PATH>(email_eval_path);
}

} // namespace xel
