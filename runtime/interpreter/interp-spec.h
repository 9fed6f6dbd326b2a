// The interpreter's view of a callable's argument list (built by
// interp_cache_spec, runtime/datatypes/function/spec-cache.h).
#pragma once
#include "runtime/cell.h"
#include "runtime/datatypes/function/function.h"
#include "runtime/datatypes/function/spec-cache.h"
#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/memory/series-memory.h"

namespace xel {

struct SpecList {
    Cell* begin;
    Cell* end; // the trailing integer excluded
    int trailing;
};

// Builds the list when the cache slot does not hold it yet: the second cell of
// a native's or action's word-3 block, of a function's record.
// record is fn's record, when the caller has it at hand.
inline SpecList interp_cached_spec(const Cell* fn, const Cell* record) {
    const Cell* slot = record + kRecordCache;
    Offset node = type_of(slot) == T_BLOCK ? series_node(slot) : interp_cache_spec(fn);
    const SeriesBuf* buf = buffer_of(node);
    Cell* begin = at<Cell>(buf->head);
    Cell* end = at<Cell>(buf->tail);
    int trailing = 0;
    if (end > begin && type_of(end - 1) == T_INTEGER) {
        end--;
        trailing = integer_get(end);
    }
    return SpecList{begin, end, trailing};
}
inline SpecList interp_cached_spec(const Cell* fn) {
    return interp_cached_spec(fn, function_record(fn));
}

// The first entry of a built list; record is its value's.
inline const Cell* interp_cached_entries(const Cell* record) {
    return at<Cell>(buffer_of(series_node(record + kRecordCache))->head);
}

// The call shape kept in a callable's record (spec-cache.h), 0 while it has
// not been worked out; reading it allocates nothing.
inline uint32_t interp_known_shape(const Cell* record) {
    const Cell* slot = record + kRecordCache;
    return type_of(slot) == T_BLOCK ? spec_cache_shape(slot) : 0;
}

// fn's call shape, worked out on first use; record is fn's.
inline uint32_t interp_call_shape(const Cell* fn, const Cell* record) {
    uint32_t shape = interp_known_shape(record);
    return shape ? shape : interp_cache_shape(fn);
}

} // namespace xel
