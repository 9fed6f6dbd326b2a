#include "runtime/datatypes/object/object.h"
#include "runtime/datatypes/rows.h"

namespace xel {

void object_row(ActionList& row) {
    row.set<A_MAKE>(object_make)
        .set<A_REFLECT>(object_reflect)
        .set<A_FORM>(object_form)
        .set<A_MOLD>(object_mold)
        .set<A_EVAL_PATH>(object_eval_path)
        .set<A_COMPARE>(object_compare)
        .set<A_COPY>(object_copy)
        .set<A_PUT>(object_put)
        .set<A_SELECT>(object_select)
        .set<A_MODIFY>(object_modify);
}

} // namespace xel
