// Date tokens: day-month-year (month by number or name), year-month-day,
// ISO week and ordinal dates, and the compact ISO form, each with an
// optional time and zone.
#include "runtime/datatypes/date/date-cell.h"
#include "runtime/lexer/lexer-scanners.h"
#include "runtime/lexer/lexer-state.h"
#include "runtime/lexer/lexer.h"
#include "runtime/text/float-text.h"

namespace xel {

namespace {

struct DateFields {
    int32_t year = 0, month = 0, day = 0;
    int32_t hours = 0, minutes = 0;
    double seconds = 0;
    int32_t zone_minutes = 0;
    bool time = false;
    int32_t week = 0, weekday = 0, yearday = 0;
};

bool is_digit(uint8_t c) {
    return c >= '0' && c <= '9';
}

// Up to max digits (at least one) at p; count receives how many.
bool read_digits(const uint8_t** p, const uint8_t* end, int max, int32_t* out, int* count) {
    const uint8_t* q = *p;
    int32_t v = 0;
    int n = 0;
    while (q < end && is_digit(*q) && n < max) {
        v = v * 10 + (*q++ - '0');
        n++;
    }
    if (n == 0) return false;
    *p = q;
    *out = v;
    if (count) *count = n;
    return true;
}

// Exactly n digits.
bool fixed_digits(const uint8_t** p, const uint8_t* end, int n, int32_t* out) {
    int count;
    const uint8_t* q = *p;
    if (!read_digits(&q, end, n, out, &count) || count != n) return false;
    *p = q;
    return true;
}

int month_from_name(const uint8_t* p, const uint8_t* end) {
    static const char* const kMonths[] = {"january",   "february", "march",    "april",
                                          "may",       "june",     "july",     "august",
                                          "september", "october",  "november", "december"};
    auto n = end - p;
    if (n < 3 || n > 9) return 0;
    for (int m = 0; m < 12; m++) {
        const char* name = kMonths[m];
        int i = 0;
        while (i < n && name[i] && (p[i] | 0x20) == name[i])
            i++;
        if (i == n) return m + 1;
    }
    return 0;
}

// Fraction digits after "." or ",": seconds.
bool read_fraction(const uint8_t** p, const uint8_t* end, double* out) {
    const uint8_t* q = *p;
    if (q >= end || (*q != '.' && *q != ',')) return true;
    char text[32];
    int n = 0;
    text[n++] = '.';
    for (q++; q < end && is_digit(*q); q++)
        if (n < 31) text[n++] = static_cast<char>(*q);
    if (n == 1) return false;
    *out += float_from_text(text, text + n, 0, nullptr);
    *p = q;
    return true;
}

// "Z", or "+"/"-" hh [":" mm | mm].
bool read_zone(const uint8_t** p, const uint8_t* end, DateFields* f) {
    const uint8_t* q = *p;
    if (q >= end) return true;
    if (*q == 'Z') {
        *p = q + 1;
        return true;
    }
    if (*q != '+' && *q != '-') return false;
    bool west = *q++ == '-';
    int32_t h, m = 0;
    int count;
    if (!read_digits(&q, end, 2, &h, &count)) return false;
    if (q < end && *q == ':') {
        q++;
        if (!fixed_digits(&q, end, 2, &m)) return false;
    } else if (q < end && !fixed_digits(&q, end, 2, &m)) {
        return false;
    }
    if (h > 15 || m > 59) return false;
    f->zone_minutes = (west ? -1 : 1) * (h * 60 + m);
    *p = q;
    return true;
}

// hh ":" mm [":" ss [fraction]] zone.
bool read_time(const uint8_t** p, const uint8_t* end, DateFields* f) {
    const uint8_t* q = *p;
    int32_t s = 0;
    if (!read_digits(&q, end, 2, &f->hours, nullptr) || q >= end || *q++ != ':' ||
        !fixed_digits(&q, end, 2, &f->minutes))
        return false;
    if (q < end && *q == ':') {
        q++;
        if (!fixed_digits(&q, end, 2, &s)) return false;
    }
    f->seconds = s;
    if (!read_fraction(&q, end, &f->seconds) || !read_zone(&q, end, f)) return false;
    f->time = true;
    *p = q;
    return q == end;
}

// yyyymmdd "T" hhmm[ss[fraction]] zone.
bool read_compact(const uint8_t* p, const uint8_t* end, DateFields* f) {
    int32_t s = 0;
    if (!fixed_digits(&p, end, 4, &f->year) || !fixed_digits(&p, end, 2, &f->month) ||
        !fixed_digits(&p, end, 2, &f->day) || p >= end || *p++ != 'T' ||
        !fixed_digits(&p, end, 2, &f->hours) || !fixed_digits(&p, end, 2, &f->minutes))
        return false;
    if (p < end && is_digit(*p) && !fixed_digits(&p, end, 2, &s)) return false;
    f->seconds = s;
    if (!read_fraction(&p, end, &f->seconds) || !read_zone(&p, end, f)) return false;
    f->time = true;
    return p == end;
}

bool read_date(const uint8_t* p, const uint8_t* end, DateFields* f) {
    const uint8_t* start = p;
    int32_t first;
    int first_digits;
    if (!read_digits(&p, end, 9, &first, &first_digits) || p >= end) return false;
    if (first_digits == 8 && *p == 'T') return read_compact(start, end, f);
    uint8_t sep = *p++;
    if (sep != '-' && sep != '/') return false;
    // ISO week and ordinal forms.
    if (first_digits == 4 && sep == '-' && p < end && *p == 'W') {
        p++;
        f->year = first;
        f->month = f->day = 1;
        if (!fixed_digits(&p, end, 2, &f->week)) return false;
        if (p < end && *p == '-') {
            p++;
            if (!fixed_digits(&p, end, 1, &f->weekday)) return false;
        }
        return p == end && f->week >= 1 && f->week <= 53 &&
               (f->weekday == 0 || (f->weekday >= 1 && f->weekday <= 7));
    }
    const uint8_t* field = p;
    int32_t second;
    int second_digits = 0;
    if (first_digits == 4 && sep == '-' && read_digits(&p, end, 4, &second, &second_digits) &&
        second_digits == 3 && (p == end || *p == 'T' || *p == '/')) {
        f->year = first;
        f->month = f->day = 1;
        f->yearday = second;
        int days = date_leap_year(first) ? 366 : 365;
        if (second < 1 || second > days) return false;
        return p == end || (p++, read_time(&p, end, f));
    }
    p = field;
    if (p >= end) return false;
    int32_t month;
    if (is_digit(*p)) {
        if (!read_digits(&p, end, 2, &month, nullptr)) return false;
    } else {
        while (p < end && ((*p | 0x20) >= 'a' && (*p | 0x20) <= 'z'))
            p++;
        month = month_from_name(field, p);
    }
    if (month == 0 || p >= end || *p++ != sep) return false;
    int32_t third;
    int third_digits;
    if (!read_digits(&p, end, 5, &third, &third_digits)) return false;
    if (first > 31 || first_digits > 2) {
        f->year = first;
        f->day = third;
        if (third_digits > 2) return false;
    } else {
        f->day = first;
        f->year = third;
        if (third_digits <= 2) f->year += third < 50 ? 2000 : 1900;
    }
    f->month = month;
    if (p == end) return true;
    if (*p != '/' && *p != 'T') return false;
    p++;
    return read_time(&p, end, f);
}

bool valid(const DateFields& f) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (f.month < 1 || f.month > 12 || f.year < -9999 || f.year > 9999) return false;
    int days = kDays[f.month - 1] + (f.month == 2 && date_leap_year(f.year) ? 1 : 0);
    if (f.day < 1 || f.day > days) return false;
    return f.hours <= 23 && f.minutes <= 59 && f.seconds < 60.0;
}

} // namespace

void lexer_load_date(LexerState* s, bool load) {
    DateFields f;
    if (!read_date(s->token_start, s->token_end, &f) || !valid(f)) lexer_invalid(s, T_DATE);
    if (!load) return;
    Cell value;
    double seconds = f.hours * 3600.0 + f.minutes * 60.0 + f.seconds;
    date_make_at(&value, f.year, f.month, f.day, seconds, f.zone_minutes, f.time);
    if (f.week) {
        date_set_week(&value, f.week);
        if (f.weekday) date_set_weekday(&value, f.weekday);
    }
    if (f.yearday) date_set_yearday(&value, f.yearday);
    lexer_append_value(s, &value);
}

} // namespace xel
