// The row fillers of the datatypes, one per type file, referenced by the
// registration table.
#pragma once
#include "runtime/datatypes/registration.h"

namespace xel {

void datatype_row(ActionList& row);
void unset_row(ActionList& row);
void none_row(ActionList& row);
void logic_row(ActionList& row);
void series_row(ActionList& row);
void block_row(ActionList& row);
void paren_row(ActionList& row);
void string_row(ActionList& row);
void url_row(ActionList& row);
void file_row(ActionList& row);
void port_row(ActionList& row);
void char_row(ActionList& row);
void integer_row(ActionList& row);
void float_row(ActionList& row);
void native_row(ActionList& row);
void action_row(ActionList& row);
void op_row(ActionList& row);
void error_row(ActionList& row);

void symbol_row(ActionList& row);
void context_row(ActionList& row);

void function_row(ActionList& row);
void routine_row(ActionList& row);
void typeset_row(ActionList& row);

void word_row(ActionList& row);
void set_word_row(ActionList& row);
void lit_word_row(ActionList& row);
void get_word_row(ActionList& row);
void refinement_row(ActionList& row);
void issue_row(ActionList& row);

void path_row(ActionList& row);
void lit_path_row(ActionList& row);
void set_path_row(ActionList& row);
void get_path_row(ActionList& row);
void object_row(ActionList& row);
void bitset_row(ActionList& row);

void triple_row(ActionList& row);
void percent_row(ActionList& row);
void time_row(ActionList& row);

void vector_row(ActionList& row);
void map_row(ActionList& row);
void hash_row(ActionList& row);

void binary_row(ActionList& row);
void tag_row(ActionList& row);
void email_row(ActionList& row);
void ref_row(ActionList& row);
void handle_row(ActionList& row);

void pair_row(ActionList& row);
void point2d_row(ActionList& row);
void point3d_row(ActionList& row);
void tuple_row(ActionList& row);

void date_row(ActionList& row);
void money_row(ActionList& row);

void image_row(ActionList& row);
void event_row(ActionList& row);

} // namespace xel
