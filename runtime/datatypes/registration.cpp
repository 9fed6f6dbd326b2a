#include "runtime/datatypes/registration.h"

#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/registry.h"
#include "runtime/datatypes/rows.h"

namespace xel {

namespace {

struct TypeEntry {
    uint8_t id;
    uint8_t parent;
    const char* name;
    RowFiller fill; // nullptr: the type takes its parent's row until its own lands
    // What the collector follows from a cell of the type (markers.h), or
    // kMarksNothing. Every entry states it: an entry without it does not
    // compile, so no type's series go unmarked by omission.
    CellMarker mark;
};

// The registration order fixes nothing about ids (those are fixed in
// type-ids.h) but the -1 rule copies a parent's row as it stands, so parents
// come first.
constexpr TypeEntry kTypes[] = {
    {T_DATATYPE, 0, "datatype!", datatype_row, kMarksNothing},
    {T_UNSET, 0, "unset!", unset_row, kMarksNothing},
    {T_NONE, 0, "none!", none_row, kMarksNothing},
    {T_LOGIC, 0, "logic!", logic_row, kMarksNothing},
    {T_SERIES, 0, "series!", series_row, kMarksNothing},
    {T_BLOCK, T_SERIES, "block!", block_row, block_mark_cell},
    {T_STRING, T_SERIES, "string!", string_row, string_mark_cell},
    {T_BINARY, T_STRING, "binary!", binary_row, binary_mark_cell},
    {T_INTEGER, 0, "integer!", integer_row, kMarksNothing},
    {T_SYMBOL, 0, "symbol!", symbol_row, symbol_mark_cell},
    {T_CONTEXT, 0, "context!", context_row, context_mark_cell},
    {T_WORD, T_SYMBOL, "word!", word_row, word_mark_cell},
    {T_LIT_WORD, T_WORD, "lit-word!", lit_word_row, word_mark_cell},
    {T_SET_WORD, T_WORD, "set-word!", set_word_row, word_mark_cell},
    {T_GET_WORD, T_WORD, "get-word!", get_word_row, word_mark_cell},
    {T_REFINEMENT, T_WORD, "refinement!", refinement_row, word_mark_cell},
    {T_CHAR, T_INTEGER, "char!", char_row, kMarksNothing},
    {T_NATIVE, 0, "native!", native_row, native_mark_cell},
    {T_ACTION, T_NATIVE, "action!", action_row, native_mark_cell},
    {T_OP, T_NATIVE, "op!", op_row, op_mark_cell},
    {T_PATH, T_BLOCK, "path!", path_row, block_mark_cell},
    {T_LIT_PATH, T_PATH, "lit-path!", lit_path_row, block_mark_cell},
    {T_SET_PATH, T_PATH, "set-path!", set_path_row, block_mark_cell},
    {T_GET_PATH, T_PATH, "get-path!", get_path_row, block_mark_cell},
    {T_FUNCTION, T_CONTEXT, "function!", function_row, function_mark_cell},
    {T_ROUTINE, T_FUNCTION, "routine!", routine_row, routine_mark_cell},
    {T_PAREN, T_BLOCK, "paren!", paren_row, block_mark_cell},
    {T_ISSUE, T_WORD, "issue!", issue_row, word_mark_cell},
    {T_URL, T_STRING, "url!", url_row, string_mark_cell},
    {T_FILE, T_URL, "file!", file_row, string_mark_cell},
    {T_OBJECT, 0, "object!", object_row, object_mark_cell},
    {T_BITSET, 0, "bitset!", bitset_row, bitset_mark_cell},
    {T_TRIPLE, 0, "triple!", triple_row, kMarksNothing},
    {T_FLOAT, 0, "float!", float_row, kMarksNothing},
    {T_TYPESET, 0, "typeset!", typeset_row, kMarksNothing},
    {T_ERROR, T_OBJECT, "error!", error_row, object_mark_cell},
    {T_VECTOR, T_STRING, "vector!", vector_row, vector_mark_cell},
    {T_MAP, 0, "map!", map_row, map_mark_cell},
    {T_HASH, T_BLOCK, "hash!", hash_row, hash_mark_cell},
    {T_PAIR, 0, "pair!", pair_row, kMarksNothing},
    {T_PERCENT, T_FLOAT, "percent!", percent_row, kMarksNothing},
    {T_TUPLE, 0, "tuple!", tuple_row, kMarksNothing},
    {T_TIME, T_FLOAT, "time!", time_row, kMarksNothing},
    {T_TAG, T_STRING, "tag!", tag_row, string_mark_cell},
    {T_EMAIL, T_STRING, "email!", email_row, string_mark_cell},
    {T_HANDLE, T_INTEGER, "handle!", handle_row, kMarksNothing},
    {T_DATE, 0, "date!", date_row, kMarksNothing},
    {T_PORT, T_OBJECT, "port!", port_row, object_mark_cell},
    {T_MONEY, 0, "money!", money_row, kMarksNothing},
    {T_REF, T_STRING, "ref!", ref_row, string_mark_cell},
    {T_POINT2D, 0, "point2D!", point2d_row, kMarksNothing},
    {T_POINT3D, 0, "point3D!", point3d_row, kMarksNothing},
    {T_IMAGE, T_SERIES, "image!", image_row, image_mark_cell},
    {T_EVENT, 0, "event!", event_row, event_mark_cell},
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
        collector_set_marker(t.id, t.mark);
    }
}

} // namespace xel
