#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/path/path.h"
#include "runtime/datatypes/rows.h"

namespace xel {

void path_row(ActionList& row) {
    row.inherit_all()
        .set<A_MAKE>(path_make)
        .set<A_TO>(path_to)
        .set<A_FORM>(path_form)
        .set<A_MOLD>(path_mold)
        .set<A_COPY>(block_copy)
        .set<A_RANDOM>(nullptr)
        .set<A_SORT>(nullptr)
        .set<A_TRIM>(nullptr);
}

void lit_path_row(ActionList& row) {
    row.inherit_all().set<A_MOLD>(lit_path_mold);
}

void set_path_row(ActionList& row) {
    row.inherit_all().set<A_MOLD>(set_path_mold);
}

void get_path_row(ActionList& row) {
    row.inherit_all().set<A_MOLD>(get_path_mold);
}

} // namespace xel
