#include "runtime/sort/sort.h"

namespace xel {

namespace {

constexpr size_t kInsertionMax = 7;
constexpr size_t kSampleStride = 97;
constexpr size_t kProbeStep = 10;
constexpr size_t kMinStretch = 4;

struct Range {
    uint8_t* base;
    const SortRun& run;
    bool bytewise;
    uint8_t* at(size_t i) const { return base + i * run.width; }
    int cmp(size_t a, size_t b) const { return run.cmp(at(a), at(b)); }
    void swap(size_t a, size_t b) const {
        if (a != b) sort_swap(at(a), at(b), run.width, bytewise);
    }
    void swap_n(size_t a, size_t b, size_t n) const {
        for (size_t i = 0; i < n; i++)
            swap(a + i, b + i);
    }
    void reverse(size_t lo, size_t hi) const {
        while (lo + 1 < hi)
            swap(lo++, --hi);
    }
    // Rotates [lo, hi) so that the record at mid comes first.
    void rotate(size_t lo, size_t mid, size_t hi) const {
        reverse(lo, mid);
        reverse(mid, hi);
        reverse(lo, hi);
    }
};

void insertion_sort(const Range& r, size_t n) {
    for (size_t i = 1; i < n; i++)
        for (size_t j = i; j > 0 && r.cmp(j - 1, j) > 0; j--)
            r.swap(j - 1, j);
}

// Orders records 0, 1 and 2 with at most three exchanges.
void order_three(const Range& r) {
    if (r.cmp(0, 1) > 0) r.swap(0, 1);
    if (r.cmp(1, 2) > 0) {
        r.swap(1, 2);
        if (r.cmp(0, 1) > 0) r.swap(0, 1);
    }
}

// Three-way partition of [0, n) around the pivot record (outside the range):
// records below it end in [0, *less), records above in [n - *greater, n),
// the equal ones between.
void partition(const Range& r, size_t n, const uint8_t* pivot, size_t* less, size_t* greater) {
    const SortRun& run = r.run;
    size_t a = 0, b = 0;
    size_t c = n, d = n; // one past, scanning down
    for (;;) {
        while (b < c) {
            int k = run.cmp(r.at(b), pivot);
            if (k > 0) break;
            if (k == 0) r.swap(a++, b);
            b++;
        }
        while (c > b) {
            int k = run.cmp(r.at(c - 1), pivot);
            if (k < 0) break;
            if (k == 0) r.swap(c - 1, --d);
            c--;
        }
        if (b >= c) break;
        r.swap(b++, --c);
    }
    // The equal runs at both ends move to the middle.
    size_t s = a < b - a ? a : b - a;
    r.swap_n(0, b - s, s);
    size_t t = (d - c) < (n - d) ? d - c : n - d;
    r.swap_n(b, n - t, t);
    *less = b - a;
    *greater = d - c;
}

} // namespace

void sort_quick_core(ptrdiff_t hint, uint8_t* base, size_t count, const SortRun& run) {
    Range r{base, run, run.width % 4 != 0};
    size_t n = count;
    while (n > kInsertionMax) {
        if (hint < 0) {
            // A sorted block at the back: bring (at most half of) it to the front.
            size_t k = static_cast<size_t>(-hint);
            if (k > n / 2) k = n / 2;
            r.swap_n(0, n - k, k);
            hint = static_cast<ptrdiff_t>(k);
        }
        size_t pivot;
        if (hint > 2) {
            // The middle of an ordered block is a pivot from a known order.
            pivot = static_cast<size_t>(hint) / 2;
        } else if (n > 511) {
            // A sample of 63 records across the range, sorted, gives its median.
            size_t l = 63;
            size_t stride = n / l;
            for (size_t i = 0; i < l; i++)
                r.swap(i, i * stride);
            sort_quick_core(0, r.base, l, run);
            pivot = l / 2;
        } else {
            r.swap(1, n / 2);
            r.swap(2, n - 1);
            order_three(r);
            pivot = 1;
        }
        // The pivot record waits in front while the rest is partitioned, then
        // joins the middle: every round leaves out at least that record, so
        // the sort ends whatever order the comparison claims.
        r.swap(0, pivot);
        Range rest{r.at(1), run, r.bytewise};
        size_t less, greater;
        partition(rest, n - 1, r.at(0), &less, &greater);
        r.swap(0, less);
        // The smaller part recursively, the larger one by the loop, so the
        // machine stack holds at most log2(count) recursions.
        if (greater <= less) {
            sort_quick_core(0, r.at(n - greater), greater, run);
            n = less;
        } else {
            sort_quick_core(0, r.base, less, run);
            r.base = r.at(n - greater);
            n = greater;
        }
        hint = 0;
    }
    insertion_sort(r, n);
}

void sort_quick(void* data, size_t count, size_t width, intptr_t arg1, intptr_t arg2,
                SortCompare compare) {
    if (count < 2) return;
    SortRun run{width, arg1, arg2, compare};
    Range r{static_cast<uint8_t*>(data), run, width % 4 != 0};

    // The longest ordered prefix: equal pairs first, then a direction.
    size_t k = 0;
    while (k + 1 < count && r.cmp(k, k + 1) == 0)
        k++;
    if (k + 1 >= count) return;
    int dir = r.cmp(k, k + 1) < 0 ? 1 : -1;
    auto ordered = [&](size_t a, size_t b) {
        return dir > 0 ? r.cmp(a, b) <= 0 : r.cmp(a, b) >= 0;
    };
    size_t p = k + 1;
    while (p < count && ordered(p - 1, p))
        p++;

    if (p < count) {
        // A sample of the rest says whether the input is nearly ordered.
        ptrdiff_t tally = static_cast<ptrdiff_t>(p) * dir;
        for (size_t i = p; i + 1 < count; i += kSampleStride) {
            int c = r.cmp(i, i + 1);
            tally += c < 0 ? 1 : (c > 0 ? -1 : 0);
        }
        ptrdiff_t magnitude = tally < 0 ? -tally : tally;
        if (magnitude > static_cast<ptrdiff_t>(count / 512)) {
            if ((tally > 0 ? 1 : -1) != dir) {
                p = 1;
                dir = -dir;
            }
            // Gathers ordered stretches after the prefix.
            size_t probe = p + kProbeStep;
            while (probe < count) {
                size_t end = probe + 1;
                while (end < count && ordered(end - 1, end))
                    end++;
                size_t start = probe;
                while (start > p && ordered(start - 1, start))
                    start--;
                if (end - start < kMinStretch) {
                    probe += kProbeStep;
                    continue;
                }
                // A stretch that continues the prefix joins it, moved right after it.
                if (ordered(p - 1, start)) {
                    if (start > p) r.rotate(p, start, end);
                    p += end - start;
                }
                probe = (end > p ? end : p) + kProbeStep;
            }
        }
    }
    if (dir < 0) r.reverse(0, p);
    if (p < count) sort_quick_core(static_cast<ptrdiff_t>(p), r.base, count, run);
}

} // namespace xel
