#include "runtime/memory/memory-usage.h"

#include "runtime/core/heap.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/memory/collector-hook.h"
#include "runtime/memory/series-memory-internal.h"

namespace xel {

namespace {

Cell* append_number(Cell* block, double figure) {
    Cell v;
    if (figure > 2147483647.0)
        float_make_at(&v, figure);
    else
        set_integer(&v, static_cast<int32_t>(figure));
    return block_append_copy(block, &v);
}

// A block of three figures on a line of its own, appended to list.
void append_frame(Cell* list, double a, double b, double c) {
    Cell frame;
    block_make_at(&frame, 3);
    append_number(&frame, a);
    append_number(&frame, b);
    append_number(&frame, c);
    frame.header |= kNewLineFlag;
    block_append_copy(list, &frame);
}

} // namespace

void memory_stats_number(Cell* block, double figure) {
    append_number(block, figure);
}

double memory_stats(Cell* target, int level) {
    if (level <= 1) return memory_in_use();
    bool enabled = g_collector_enabled;
    g_collector_enabled = false;
    double os = 0;
    Cell nodes, series, big;
    block_make_at(&nodes, 4);
    block_make_at(&series, 4);
    block_make_at(&big, 4);
    for (Offset o = g_memory.first_node_frame; o; o = at<NodeFrame>(o)->next) {
        const NodeFrame* f = at<NodeFrame>(o);
        append_frame(&nodes, f->capacity - f->used, f->used, f->capacity);
        os += 4.0 * f->capacity + sizeof(NodeFrame);
    }
    for (Offset o = g_memory.first_series_frame; o; o = at<SeriesFrame>(o)->next) {
        const SeriesFrame* f = at<SeriesFrame>(o);
        Offset data = o + sizeof(SeriesFrame);
        append_frame(&series, f->end - f->free, f->free - data, f->end - data);
        os += static_cast<double>(f->end - data) + sizeof(SeriesFrame);
    }
    for (Offset o = g_memory.first_big; o; o = at<BigBlock>(o)->next) {
        double size = at<BigBlock>(o)->size;
        append_number(&big, size)->header |= kNewLineFlag;
        os += size + sizeof(BigBlock);
    }
    double heap = heap_bytes();
    block_append_copy(target, &nodes);
    block_append_copy(target, &series);
    block_append_copy(target, &big);
    append_number(target, os + heap);
    append_number(target, heap);
    g_collector_enabled = enabled;
    return 0;
}

} // namespace xel
