// Insertion and lookup of a million integer keys (a hash! index) and a
// million short strings (the symbol table), beside std::unordered_map doing
// the same work in the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/datatypes/constants.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/runtime-init.h"
#include "runtime/symbols/symbols.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kCount = 1000000;

double ns_per_op(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::nano>(b - a).count() / kCount;
}

void report(const char* what, double ours, double theirs) {
    std::printf("%-26s %8.1f ns/op   std::unordered_map %8.1f ns/op   ratio %.2f\n", what, ours,
                theirs, ours / theirs);
}

// Distinct keys without a pattern (each step is invertible), so no table
// gains from a stride that the processor could prefetch.
int32_t key_of(int i) {
    uint32_t x = static_cast<uint32_t>(i) * 0x9E3779B9u;
    x ^= x >> 15;
    x *= 0x2C1B3C6Du;
    x ^= x >> 12;
    x *= 0x297A2D39u;
    x ^= x >> 15;
    return static_cast<int32_t>(x);
}

// Lookups go in a shuffled order of the keys.
std::vector<int> lookup_order() {
    std::vector<int> order(kCount);
    for (int i = 0; i < kCount; i++)
        order[i] = i;
    std::mt19937 random(12345);
    std::shuffle(order.begin(), order.end(), random);
    return order;
}

void bench_integers() {
    Offset node = alloc_cells(kCount);
    for (int i = 0; i < kCount; i++)
        set_integer(series_alloc_tail_cell(buffer_of(node)), key_of(i));
    Cell block{T_BLOCK, 0, node, 0};

    // Made for 4 entries, the index grows as the cells go in.
    auto t0 = Clock::now();
    Offset table = hash_make(4, &block, kHashBlock, 1);
    auto t1 = Clock::now();
    std::vector<int> order = lookup_order();
    long found = 0;
    for (int i : order) {
        Cell key;
        set_integer(&key, key_of(i));
        found += hash_find(table, &key, 0, 1, 0, false, false) != nullptr;
    }
    auto t2 = Clock::now();

    std::unordered_map<int32_t, int32_t> map;
    auto s0 = Clock::now();
    for (int i = 0; i < kCount; i++)
        map.emplace(key_of(i), i);
    auto s1 = Clock::now();
    long std_found = 0;
    for (int i : order)
        std_found += map.find(key_of(i)) != map.end();
    auto s2 = Clock::now();

    report("integer insert (hash!)", ns_per_op(t0, t1), ns_per_op(s0, s1));
    report("integer lookup (hash!)", ns_per_op(t1, t2), ns_per_op(s1, s2));
    if (found != kCount || std_found != kCount)
        std::printf("!! found %ld and %ld of %d\n", found, std_found, kCount);
}

void bench_strings() {
    std::vector<std::string> names;
    names.reserve(kCount);
    for (int i = 0; i < kCount; i++) {
        char name[16];
        int n = std::snprintf(name, sizeof name, "w%u", static_cast<uint32_t>(key_of(i)));
        names.emplace_back(name, static_cast<size_t>(n));
    }

    uint32_t before = symbol_count();
    auto t0 = Clock::now();
    for (const std::string& n : names)
        symbol_make_from_buffer(reinterpret_cast<const uint8_t*>(n.data()),
                                static_cast<uint32_t>(n.size()));
    auto t1 = Clock::now();
    std::vector<int> order = lookup_order();
    uint64_t check = 0;
    for (int i : order)
        check += symbol_make_from_buffer(reinterpret_cast<const uint8_t*>(names[i].data()),
                                         static_cast<uint32_t>(names[i].size()));
    auto t2 = Clock::now();

    std::unordered_map<std::string, uint32_t> map;
    auto s0 = Clock::now();
    uint32_t next = 1;
    for (const std::string& n : names)
        map.emplace(n, next++);
    auto s1 = Clock::now();
    uint64_t std_check = 0;
    for (int i : order)
        std_check += map.find(names[i])->second;
    auto s2 = Clock::now();

    report("string insert (symbols)", ns_per_op(t0, t1), ns_per_op(s0, s1));
    report("string lookup (symbols)", ns_per_op(t1, t2), ns_per_op(s1, s2));
    if (symbol_count() - before != static_cast<uint32_t>(kCount) ||
        check - std_check != static_cast<uint64_t>(before) * kCount)
        std::printf("!! symbol ids do not match the insertions\n");
}

} // namespace

int main() {
    runtime_init();
    bench_integers();
    bench_strings();
}
