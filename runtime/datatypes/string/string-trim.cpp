// trim on strings: whitespace at the ends (and around line feeds), runs of
// whitespace between lines, or every character of a given set.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "runtime/datatypes/series/series.h"
#include "runtime/datatypes/string/string-ops.h"
#include "runtime/datatypes/string/string-view.h"
#include "runtime/error-fire.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/stack.h"

namespace xel {

namespace {

using Units = std::vector<uint32_t>;

bool is_space(uint32_t cp) {
    if (cp >= 1 && cp <= 32) return true;
    switch (cp) {
    case 133:
    case 160:
    case 5760:
    case 6158:
    case 8232:
    case 8233:
    case 8239:
    case 8287:
    case 12288:
        return true;
    default:
        return cp >= 8192 && cp <= 8202;
    }
}

// The whitespace that may stand beside a line feed within a line.
bool is_horizontal(uint32_t cp) {
    return cp == 9 || cp == 32 || (cp >= 133 && is_space(cp));
}

Units units_of(const Cell* str) {
    StringView v = string_view_of(str);
    Units out(v.count);
    for (uint32_t i = 0; i < v.count; i++)
        out[i] = v[i];
    return out;
}

// The code points removed by /with (or by /all alone).
Units removal_set(const Cell* with) {
    if (!with) return {9, 10, 13, 32};
    uint8_t t = type_of(with);
    if (is_string_kind(t) || t == T_BINARY) return units_of(with);
    if (t == T_CHAR || t == T_INTEGER) return {with->data2};
    error_fire(kCatScript, err::script::kInvalidArg, with);
}

Units trim_set(const Units& in, const Units& set) {
    Units out;
    for (uint32_t cp : in)
        if (std::find(set.begin(), set.end(), cp) == set.end()) out.push_back(cp);
    return out;
}

// Runs of whitespace become one space between other characters, nothing at the ends.
Units trim_lines(const Units& in) {
    Units out;
    bool pending = false;
    for (uint32_t cp : in) {
        if (is_space(cp)) {
            pending = !out.empty();
            continue;
        }
        if (pending) out.push_back(' ');
        pending = false;
        out.push_back(cp);
    }
    return out;
}

Units trim_spaces(const Units& in, bool head, bool tail) {
    size_t b = 0;
    size_t e = in.size();
    if (head || !tail)
        while (b < e && is_space(in[b]))
            b++;
    bool line_feed = false;
    if (tail || !head) {
        while (e > b && is_space(in[e - 1])) {
            line_feed = line_feed || in[e - 1] == '\n';
            e--;
        }
    }
    if (head || tail)
        return Units(in.begin() + static_cast<std::ptrdiff_t>(b),
                     in.begin() + static_cast<std::ptrdiff_t>(e));
    // Both ends: also the horizontal whitespace beside every line feed.
    Units out;
    for (size_t i = b; i < e;) {
        if (!is_horizontal(in[i])) {
            out.push_back(in[i++]);
            continue;
        }
        size_t run_end = i;
        while (run_end < e && is_horizontal(in[run_end]))
            run_end++;
        bool beside_line_feed = in[i - 1] == '\n' || (run_end < e && in[run_end] == '\n');
        if (!beside_line_feed)
            out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(i),
                       in.begin() + static_cast<std::ptrdiff_t>(run_end));
        i = run_end;
    }
    if (line_feed) out.push_back('\n');
    return out;
}

} // namespace

Cell* string_trim(Cell* series, const TrimOptions& o) {
    Cell s = *series;
    string_char_at_index(&s);
    bool by_set = o.all || o.with;
    if (o.auto_ && !by_set) error_fire(kCatInternal, err::internal::kNotDone);
    Units set = by_set ? removal_set(o.with) : Units{};
    auto pos = static_cast<int>(s.data1);
    bool told = ownership_notify_before(&s, Change::Trim, nullptr, pos, string_xs_length(&s));
    string_char_at_index(&s); // a handler may have shortened the string

    Units in = units_of(&s);
    Units out = by_set    ? trim_set(in, set)
                : o.lines ? trim_lines(in)
                          : trim_spaces(in, o.head, o.tail);
    SeriesBuf* buf = string_buffer(&s);
    uint32_t unit = buf->unit();
    uint8_t* dest = at(buf->head + s.data1 * unit);
    for (size_t i = 0; i < out.size(); i++)
        string_put_char(dest + i * unit, unit, out[i]);
    buf->tail = buf->head + (s.data1 + static_cast<uint32_t>(out.size())) * unit;

    if (told) ownership_notify_after(&s, Change::Trim, nullptr, pos, 0);
    Cell* result = stack_arguments();
    *result = s;
    return result;
}

} // namespace xel
