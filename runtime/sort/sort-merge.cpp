#include <cstdlib>
#include <cstring>
#include <memory>

#include "runtime/error-fire.h"
#include "runtime/sort/sort.h"

namespace xel {

namespace {

// Runs shorter than this are extended by insertion.
constexpr size_t kMinRun = 24;

struct Pending {
    size_t start;
    int power;
};

void reverse_records(uint8_t* lo, uint8_t* hi, size_t width) {
    bool bytewise = width % 4 != 0;
    for (hi -= width; lo < hi; lo += width, hi -= width)
        sort_swap(lo, hi, width, bytewise);
}

// The powersort node power of the runs [s1, s2) and [s2, e2) out of n
// records: one more than the leading binary digits shared by the two run
// midpoints, (s1 + s2) / 2n and (s2 + e2) / 2n.
int node_power(size_t s1, size_t s2, size_t e2, size_t n) {
    size_t a = s1 + s2;
    size_t b = s2 + e2;
    int power = 0;
    for (;;) {
        power++;
        bool a_high = a >= n;
        bool b_high = b >= n;
        if (a_high != b_high) return power;
        if (a_high) {
            a -= n;
            b -= n;
        }
        a *= 2;
        b *= 2;
    }
}

} // namespace

void sort_swap(uint8_t* a, uint8_t* b, size_t width, bool bytewise) {
    if (bytewise) {
        for (size_t i = 0; i < width; i++) {
            uint8_t t = a[i];
            a[i] = b[i];
            b[i] = t;
        }
        return;
    }
    for (size_t i = 0; i < width; i += 4) {
        uint32_t x, y;
        std::memcpy(&x, a + i, 4);
        std::memcpy(&y, b + i, 4);
        std::memcpy(a + i, &y, 4);
        std::memcpy(b + i, &x, 4);
    }
}

uint8_t* sort_find_run(uint8_t* start, uint8_t* end, const SortRun& run) {
    size_t w = run.width;
    uint8_t* p = start + w;
    if (p >= end) return end;
    if (run.cmp(start, p) > 0) {
        while (p + w < end && run.cmp(p, p + w) > 0)
            p += w;
        p += w;
        reverse_records(start, p, w);
    } else {
        while (p + w < end && run.cmp(p, p + w) <= 0)
            p += w;
        p += w;
    }
    return p;
}

void sort_merge_runs(uint8_t* left, uint8_t* right, uint8_t* end, uint8_t* buffer,
                     const SortRun& run) {
    size_t w = run.width;
    size_t left_bytes = static_cast<size_t>(right - left);
    size_t right_bytes = static_cast<size_t>(end - right);
    if (right_bytes < left_bytes) {
        // From the right end: the buffered right run against the left run's tail.
        std::memcpy(buffer, right, right_bytes);
        uint8_t* b = buffer + right_bytes; // one past the last buffered record
        uint8_t* l = right;                // one past the left run's last record
        uint8_t* out = end;
        while (b > buffer && l > left) {
            out -= w;
            if (run.cmp(l - w, b - w) > 0) {
                l -= w;
                std::memcpy(out, l, w);
            } else {
                b -= w;
                std::memcpy(out, b, w);
            }
        }
        std::memcpy(left, buffer, static_cast<size_t>(b - buffer));
    } else {
        std::memcpy(buffer, left, left_bytes);
        uint8_t* b = buffer;
        uint8_t* b_end = buffer + left_bytes;
        uint8_t* r = right;
        uint8_t* out = left;
        while (b < b_end && r < end) {
            if (run.cmp(b, r) <= 0) {
                std::memcpy(out, b, w);
                b += w;
            } else {
                std::memcpy(out, r, w);
                r += w;
            }
            out += w;
        }
        std::memcpy(out, b, static_cast<size_t>(b_end - b));
    }
}

void sort_merge(void* base, size_t count, size_t width, intptr_t arg1, intptr_t arg2,
                SortCompare compare) {
    if (count < 2) return;
    uint64_t bytes = uint64_t{width} * (count / 2);
    if (bytes > INT32_MAX) error_fire(kCatScript, err::script::kTooLong);
    std::unique_ptr<uint8_t, decltype(&std::free)> buffer(
        static_cast<uint8_t*>(std::malloc(bytes ? bytes : 1)), &std::free);
    if (!buffer) error_fire(kCatInternal, err::internal::kNoMemory);

    SortRun run{width, arg1, arg2, compare};
    auto* data = static_cast<uint8_t*>(base);
    bool bytewise = width % 4 != 0;
    // Finds the run from record s, extended by insertion to kMinRun records.
    auto next_run = [&](size_t s) {
        uint8_t* start = data + s * width;
        uint8_t* end = data + count * width;
        uint8_t* stop = sort_find_run(start, end, run);
        size_t len = static_cast<size_t>(stop - start) / width;
        size_t want = count - s < kMinRun ? count - s : kMinRun;
        for (; len < want; len++) {
            for (uint8_t* p = start + len * width; p > start && run.cmp(p - width, p) > 0;
                 p -= width)
                sort_swap(p - width, p, width, bytewise);
        }
        return s + len;
    };

    int depth = 1;
    for (size_t c = count; c; c >>= 1)
        depth++;
    std::unique_ptr<Pending[]> stack(new Pending[static_cast<size_t>(depth)]);
    int top = 0;

    size_t s1 = 0;
    size_t e1 = next_run(0);
    while (e1 < count) {
        size_t s2 = e1;
        size_t e2 = next_run(s2);
        int power = node_power(s1, s2, e2, count);
        while (top > 0 && stack[top - 1].power > power) {
            size_t st = stack[--top].start;
            sort_merge_runs(data + st * width, data + s1 * width, data + e1 * width, buffer.get(),
                            run);
            s1 = st;
        }
        stack[top++] = Pending{s1, power};
        s1 = s2;
        e1 = e2;
    }
    while (top > 0) {
        size_t st = stack[--top].start;
        sort_merge_runs(data + st * width, data + s1 * width, data + count * width, buffer.get(),
                        run);
        s1 = st;
    }
}

} // namespace xel
