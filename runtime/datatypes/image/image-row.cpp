// The action row of image!, and its services for foreach and forall.
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/image/image.h"
#include "runtime/datatypes/markers.h"
#include "runtime/datatypes/rows.h"
#include "runtime/natives/loops/loops.h"

namespace xel {

namespace {

uint32_t pixel_count(const Cell* image) {
    return image_pixel_count(image);
}

} // namespace

void image_row(ActionList& row) {
    g_image_foreach_set = image_foreach_set;
    g_image_pixel_count = pixel_count;
    image_register_routines();
    for (int slot = 1; slot <= kActionCount; slot++)
        row.words[2 + slot] = 0;
    row.inherit(A_BACK)
        .inherit(A_HEAD)
        .inherit(A_HEAD_Q)
        .inherit(A_INDEX_Q)
        .inherit(A_MODIFY)
        .set<A_MAKE>(image_make)
        .set<A_TO>(image_to)
        .set<A_FORM>(image_form)
        .set<A_MOLD>(image_mold)
        .set<A_EVAL_PATH>(image_eval_path)
        .set<A_COMPARE>(image_compare)
        .set<A_AT>(image_at)
        .set<A_CHANGE>(image_change)
        .set<A_COPY>(image_copy)
        .set<A_LENGTH_Q>(image_length_q)
        .set<A_NEXT>(image_next)
        .set<A_PICK>(image_pick)
        .set<A_POKE>(image_poke)
        .set<A_SKIP>(image_skip)
        .set<A_TAIL>(image_tail)
        .set<A_TAIL_Q>(image_tail_q);
}

void image_mark_cell(Cell* c) {
    collector_mark_series(&c->data2);
}

} // namespace xel
