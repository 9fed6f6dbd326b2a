#include "runtime/memory/memory-usage.h"

#include "runtime/memory/series-memory-internal.h"

namespace xel {

double memory_in_use() {
    double total = 0;
    for (Offset o = g_memory.first_node_frame; o; o = at<NodeFrame>(o)->next)
        total += 4.0 * at<NodeFrame>(o)->used;
    for (Offset o = g_memory.first_series_frame; o; o = at<SeriesFrame>(o)->next)
        total += at<SeriesFrame>(o)->free - (o + sizeof(SeriesFrame));
    for (Offset o = g_memory.first_big; o; o = at<BigBlock>(o)->next)
        total += at<BigBlock>(o)->size;
    return total;
}

} // namespace xel
