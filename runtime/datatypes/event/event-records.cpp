// The records of the native events being handled, innermost last: nested
// event loops push one each. Their cells are marked as roots.
#include <vector>

#include "runtime/datatypes/event/event.h"
#include "runtime/memory/collector.h"

namespace xel {

namespace {

std::vector<EventRecord>& records() {
    static std::vector<EventRecord> list;
    return list;
}

void mark_records() {
    for (EventRecord& r : records())
        collector_mark_cells(&r.face, &r.orientation + 1);
}

} // namespace

uint32_t event_records_push(const EventRecord& record) {
    static bool rooted = false;
    if (!rooted) {
        collector_add_root_callback(mark_records);
        rooted = true;
    }
    records().push_back(record);
    return static_cast<uint32_t>(records().size());
}

void event_records_pop() {
    records().pop_back();
}

EventRecord* event_record_at(uint32_t index) {
    if (index == 0 || index > records().size()) return nullptr;
    return &records()[index - 1];
}

} // namespace xel
