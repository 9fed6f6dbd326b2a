// The fields and the text of a time.
#include <cmath>
#include <string>

#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/float/float.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/datatypes/time/time.h"
#include "runtime/text/float-text.h"
#include "runtime/text/integer-text.h"

namespace xel {

namespace {

// Seconds below this form as "00".
constexpr double kSecondsShown = 1e-06;

} // namespace

Cell* time_make_in(Cell* blk, double seconds) {
    Cell* c = block_alloc_tail_cell(blk);
    time_make_at(c, seconds);
    return c;
}

int32_t time_get_hours(double seconds) {
    return float_to_int32(seconds / kSecondsPerHour);
}

int32_t time_get_minutes(double seconds) {
    return float_to_int32(
        std::floor(std::fmod(float_abs(seconds), kSecondsPerHour) / kSecondsPerMinute));
}

int time_serialize(double s, Cell* string, int part) {
    std::string out;
    if (s < 0) {
        out += '-';
        s = 0.0 - s;
    }
    // Seconds that round up to 60 at six digits carry into the minutes, so
    // the text stays one that loads.
    double sec = std::fmod(s, kSecondsPerMinute);
    std::string seconds = sec < kSecondsShown ? "00" : float_form_value(sec, 4);
    if (seconds == "60") {
        s = s - sec + kSecondsPerMinute;
        seconds = "00";
    } else if (seconds.size() == 1 || seconds[1] == '.') {
        seconds.insert(0, 1, '0');
    }
    out += integer_to_text(float_to_int32(std::floor(s / kSecondsPerHour)));
    out += ':';
    int32_t minutes = float_to_int32(std::floor(std::fmod(s, kSecondsPerHour) / kSecondsPerMinute));
    if (minutes >= 0 && minutes < 10) out += '0';
    out += integer_to_text(minutes);
    out += ':';
    out += seconds;
    string_concatenate_literal(string, out.c_str());
    return part - static_cast<int>(out.size());
}

} // namespace xel
