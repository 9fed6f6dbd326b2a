#include "runtime/datatypes/block/block-actions.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/block/element-actions.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/printing/cycles.h"

namespace xel {

namespace {

int append_char(Cell* buffer, uint32_t cp, int part) {
    string_append_char(string_buffer(buffer), cp);
    return part - 1;
}

// The code point before the buffer's tail, 0 when it is empty.
uint32_t last_char(const Cell* buffer) {
    SeriesBuf* buf = string_buffer(buffer);
    if (buf->tail == buf->head) return 0;
    uint32_t unit = buf->unit();
    return string_get_char(at(buf->tail - unit), unit);
}

// Writes the cells between an opening and a closing text (none under /only).
int mold_enclosed(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                  int indent, uint32_t open, uint32_t close) {
    if (cycles_detect(value, buffer, &part, true)) return part;
    if (!only) part = append_char(buffer, open, part);
    part = block_mold_each(value, buffer, only, all, flat, arg, part, indent);
    if (!only) part = append_char(buffer, close, part);
    return part;
}

} // namespace

int block_mold_each(Cell* block, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
                    int indent) {
    // Held by value: the block's buffer may move while its cells are molded.
    Cell blk = *block;
    cycles_push(blk.data2);
    bool raised = false;
    uint32_t from = blk.data1 > 0x7FFFFFFF ? 0 : blk.data1;
    for (uint32_t i = from; i < block_buffer_length(&blk); i++) {
        if (arg && part < 1) {
            cycles_pop();
            return part;
        }
        bool first = i == from;
        Cell cell = *block_cell_at(&blk, i);
        if (!flat && (cell.header & kNewLineFlag)) {
            if (first && !only) {
                indent++;
                raised = true;
            }
            if (!(first && only)) part = append_char(buffer, '\n', part);
            part = mold_indent(buffer, indent, part);
        } else if (!first) {
            part = append_char(buffer, ' ', part);
        }
        part = element_mold(&cell, buffer, false, all, flat, arg, part, indent);
    }
    cycles_pop();
    if (raised) {
        indent--;
        part = append_char(buffer, '\n', part);
        part = mold_indent(buffer, indent, part);
    }
    return part;
}

int block_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent) {
    return mold_enclosed(value, buffer, only, all, flat, arg, part, indent, '[', ']');
}

int paren_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent) {
    return mold_enclosed(value, buffer, only, all, flat, arg, part, indent, '(', ')');
}

int block_form(Cell* value, Cell* buffer, Cell* arg, int part) {
    if (cycles_detect(value, buffer, &part, false)) return part;
    Cell blk = *value;
    cycles_push(blk.data2);
    uint32_t from = blk.data1 > 0x7FFFFFFF ? 0 : blk.data1;
    for (uint32_t i = from; i < block_buffer_length(&blk); i++) {
        if (arg && part < 1) break;
        Cell cell = *block_cell_at(&blk, i);
        part = element_form(&cell, buffer, arg, part);
        if (i + 1 < block_buffer_length(&blk)) {
            uint32_t c = last_char(buffer);
            if (c != '\t' && c != '\n' && c != '\r') part = append_char(buffer, ' ', part);
        }
    }
    cycles_pop();
    return part;
}

} // namespace xel
