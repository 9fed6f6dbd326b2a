#include "runtime/datatypes/rows.h"
#include "runtime/datatypes/series/series.h"

namespace xel {

void series_row(ActionList& row) {
    row.set<A_RANDOM>(series_random)
        .set<A_REFLECT>(series_reflect)
        .set<A_AT>(series_at)
        .set<A_BACK>(series_back)
        .set<A_CLEAR>(series_clear)
        .set<A_COPY>(series_copy)
        .set<A_HEAD>(series_head)
        .set<A_HEAD_Q>(series_head_q)
        .set<A_INDEX_Q>(series_index_q)
        .set<A_LENGTH_Q>(series_length_q)
        .set<A_MOVE>(series_move)
        .set<A_NEXT>(series_next)
        .set<A_PICK>(series_pick)
        .set<A_POKE>(series_poke)
        .set<A_REMOVE>(series_remove)
        .set<A_REVERSE>(series_reverse)
        .set<A_SKIP>(series_skip)
        .set<A_TAIL>(series_tail)
        .set<A_TAIL_Q>(series_tail_q)
        .set<A_TAKE>(series_take)
        .set<A_MODIFY>(series_modify);
}

} // namespace xel
