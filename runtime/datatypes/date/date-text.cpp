// The text of a date and the month list it takes its names from.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/date/date.h"
#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/time/time.h"
#include "runtime/error-fire.h"
#include "runtime/memory/collector.h"

namespace xel {

namespace {

Cell g_month_list{T_NONE, 0, 0, 0};

void mark_month_list() {
    collector_mark_cells(&g_month_list, &g_month_list + 1);
}

const char* const kMonthNames[12] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December",
};

// The month's name from the list, as a copy of its string cell.
Cell month_name(int month) {
    Cell list = g_month_list;
    if (is_block_kind(type_of(&list))) {
        uint32_t index = series_clamped_index(&list) + static_cast<uint32_t>(month - 1);
        if (month >= 1 && index < block_buffer_length(&list)) {
            Cell name = *block_cell_at(&list, index);
            if (type_of(&name) == T_STRING) return name;
        }
    }
    error_fire(kCatScript, err::script::kInvalidMonths);
}

int append_text(Cell* string, const char* text, int part) {
    string_concatenate_literal(string, text);
    return part - static_cast<int>(std::strlen(text));
}

} // namespace

void date_init() {
    g_month_list = Cell{T_NONE, 0, 0, 0};
    collector_add_root_callback(mark_month_list);
    Cell list;
    block_make_at(&list, 12);
    g_month_list = list;
    for (const char* name : kMonthNames) {
        Cell text;
        string_make_at(&text, 16);
        string_concatenate_literal(&text, name);
        block_append_copy(&g_month_list, &text);
    }
}

void date_set_month_list(const Cell* block) {
    g_month_list = *block;
}

int date_serialize(const Cell* date, Cell* string, int part) {
    uint32_t packed = date->data1;
    int32_t year = date_year(packed);
    const char* sep = year < 0 ? "/" : "-";
    Cell name = month_name(date_month(packed));
    char text[32];
    std::snprintf(text, sizeof text, "%d%s", date_day(packed), sep);
    part = append_text(string, text, part);
    int32_t before = string_xs_length(string);
    string_concatenate(string, &name, 3, 0, true, kConcatAppend);
    part -= string_xs_length(string) - before;
    // Years below 100 take 4 digits so that they read back as years.
    int32_t magnitude = std::abs(year);
    std::snprintf(text, sizeof text, magnitude < 100 ? "%s%s%04d" : "%s%s%d", sep,
                  year < 0 ? "-" : "", magnitude);
    part = append_text(string, text, part);
    if (!date_has_time(packed)) return part;
    part = append_text(string, "/", part);
    int32_t zone = date_zone_seconds(packed);
    part = time_serialize(cell_double(date) + zone, string, part);
    if ((packed & kDateZoneMask) == 0) return part;
    int32_t minutes = std::abs(zone) / 60;
    std::snprintf(text, sizeof text, "%c%02d:%02d", (packed & 0x40) ? '-' : '+', minutes / 60,
                  minutes % 60);
    return append_text(string, text, part);
}

int date_form(Cell* value, Cell* buffer, Cell*, int part) {
    return date_serialize(value, buffer, part);
}

int date_mold(Cell* value, Cell* buffer, bool, bool, bool, Cell*, int part, int) {
    return date_serialize(value, buffer, part);
}

} // namespace xel
