#include "services/simple-io/text-load.h"

#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/memory/series-memory.h"

namespace xel {

void simple_io_load_text(const uint8_t* bytes, uint32_t count, Cell* out) {
    Offset node = string_load_utf8_whole(bytes, count, true);
    series_set_cell(out, T_STRING, node, 0);
}

void simple_io_split_lines(const uint8_t* bytes, uint32_t count, Cell* out) {
    uint32_t lines = 0;
    for (uint32_t i = 0; i < count; i++)
        lines += bytes[i] == '\n';
    block_make_at(out, static_cast<int>(lines + 1));
    const uint8_t* end = bytes + count;
    for (const uint8_t* p = bytes; p < end;) {
        auto* lf = static_cast<const uint8_t*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const uint8_t* stop = lf ? lf : end;
        const uint8_t* text_end = lf && stop > p && stop[-1] == '\r' ? stop - 1 : stop;
        Offset node = string_load_utf8_whole(p, static_cast<uint32_t>(text_end - p), false);
        series_set_cell(series_alloc_tail_cell(block_buffer(out)), T_STRING, node, 0);
        p = lf ? lf + 1 : end;
    }
}

} // namespace xel
