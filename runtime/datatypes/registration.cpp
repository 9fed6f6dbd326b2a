#include "runtime/datatypes/registration.h"

#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"

namespace xel {

namespace {

struct TypeEntry {
    uint8_t id;
    uint8_t parent;
    const char* name;
    RowFiller fill; // nullptr: the type takes its parent's row until its own lands
};

// The registration order fixes nothing about ids (those are fixed in
// type-ids.h) but the -1 rule copies a parent's row as it stands, so parents
// come first.
constexpr TypeEntry kTypes[] = {
    {T_DATATYPE, 0, "datatype!", datatype_row},
    {T_UNSET, 0, "unset!", unset_row},
    {T_NONE, 0, "none!", none_row},
    {T_LOGIC, 0, "logic!", logic_row},
    {T_SERIES, 0, "series!", series_row},
    {T_BLOCK, T_SERIES, "block!", block_row},
    {T_STRING, T_SERIES, "string!", string_row},
    {T_BINARY, T_STRING, "binary!", binary_row},
    {T_INTEGER, 0, "integer!", integer_row},
    {T_SYMBOL, 0, "symbol!", symbol_row},
    {T_CONTEXT, 0, "context!", context_row},
    {T_WORD, T_SYMBOL, "word!", word_row},
    {T_LIT_WORD, T_WORD, "lit-word!", lit_word_row},
    {T_SET_WORD, T_WORD, "set-word!", set_word_row},
    {T_GET_WORD, T_WORD, "get-word!", get_word_row},
    {T_REFINEMENT, T_WORD, "refinement!", refinement_row},
    {T_CHAR, T_INTEGER, "char!", char_row},
    {T_NATIVE, 0, "native!", native_row},
    {T_ACTION, T_NATIVE, "action!", action_row},
    {T_OP, T_NATIVE, "op!", op_row},
    {T_PATH, T_BLOCK, "path!", path_row},
    {T_LIT_PATH, T_PATH, "lit-path!", lit_path_row},
    {T_SET_PATH, T_PATH, "set-path!", set_path_row},
    {T_GET_PATH, T_PATH, "get-path!", get_path_row},
    {T_FUNCTION, T_CONTEXT, "function!", function_row},
    {T_ROUTINE, T_FUNCTION, "routine!", routine_row},
    {T_PAREN, T_BLOCK, "paren!", paren_row},
    {T_ISSUE, T_WORD, "issue!", issue_row},
    {T_URL, T_STRING, "url!", url_row},
    {T_FILE, T_URL, "file!", file_row},
    {T_OBJECT, 0, "object!", object_row},
    {T_BITSET, 0, "bitset!", bitset_row},
    {T_TRIPLE, 0, "triple!", triple_row},
    {T_FLOAT, 0, "float!", float_row},
    {T_TYPESET, 0, "typeset!", typeset_row},
    {T_ERROR, T_OBJECT, "error!", error_row},
    {T_VECTOR, T_STRING, "vector!", vector_row},
    {T_MAP, 0, "map!", map_row},
    {T_HASH, T_BLOCK, "hash!", hash_row},
    {T_PAIR, 0, "pair!", pair_row},
    {T_PERCENT, T_FLOAT, "percent!", percent_row},
    {T_TUPLE, 0, "tuple!", tuple_row},
    {T_TIME, T_FLOAT, "time!", time_row},
    {T_TAG, T_STRING, "tag!", tag_row},
    {T_EMAIL, T_STRING, "email!", email_row},
    {T_HANDLE, T_INTEGER, "handle!", handle_row},
    {T_DATE, 0, "date!", date_row},
    {T_PORT, T_OBJECT, "port!", port_row},
    {T_MONEY, 0, "money!", money_row},
    {T_REF, T_STRING, "ref!", ref_row},
    {T_POINT2D, 0, "point2D!", point2d_row},
    {T_POINT3D, 0, "point3D!", point3d_row},
    {T_IMAGE, T_SERIES, "image!", image_row},
};

} // namespace

void register_datatypes() {
    for (const TypeEntry& t : kTypes) {
        ActionList row(t.id, t.parent, t.name);
        if (t.fill)
            t.fill(row);
        else
            row.inherit_all();
        datatype_register(row);
    }
}

} // namespace xel
