#include <gtest/gtest.h>

#include <map>

#include "runtime/datatypes/block/block.h"
#include "runtime/externals/externals.h"
#include "runtime/externals/slots.h"
#include "tests/unit/collector_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

// How often each handle was released.
std::map<uintptr_t, int> g_released;
void count_release(uintptr_t handle) {
    g_released[handle]++;
}

// The slot that a live owner keeps marked through collections.
int32_t g_owned = -1;
void mark_owned() {
    externals_mark(g_owned, 0);
}

class Externals : public CollectorFixture {
  protected:
    void SetUp() override {
        CollectorFixture::SetUp();
        g_released.clear();
        kind_ = externals_register_kind("test", count_release);
    }
    uint32_t kind_ = 0;
};

TEST_F(Externals, KindsCountFromOneAndReleaseThroughTheirCallback) {
    EXPECT_EQ(kind_, 1u);
    EXPECT_EQ(externals_register_kind("other", nullptr), 2u);
    int32_t a = externals_store(10, kind_);
    int32_t b = externals_store(20, 2);
    EXPECT_EQ(externals_handle(a), 10u);
    externals_replace_handle(a, 10);
    EXPECT_TRUE(g_released.empty()) << "the same handle releases nothing";
    externals_replace_handle(a, 11);
    EXPECT_EQ(g_released[10], 1);
    EXPECT_EQ(externals_remove(a, true), -1);
    EXPECT_EQ(g_released[11], 1);
    EXPECT_EQ(externals_remove(a, true), -1);
    EXPECT_EQ(g_released[11], 1) << "a slot is freed once";
    EXPECT_EQ(externals_remove(b, true), -1) << "a kind without callback releases nothing";
    EXPECT_EQ(externals_used_count(), 0u);
}

TEST_F(Externals, StoringPastTheTableGrowsItAndKeepsEarlierSlots) {
    std::vector<int32_t> slots;
    for (uintptr_t h = 1; h <= 1001; h++)
        slots.push_back(externals_store(h, kind_));
    for (uintptr_t h = 1; h <= 1001; h++)
        EXPECT_EQ(externals_handle(slots[h - 1]), h);
    std::vector<uintptr_t> seen;
    externals_each_of_kind(kind_, [](uintptr_t h) { g_released[h] += 100; });
    EXPECT_EQ(g_released.size(), 1001u);
    EXPECT_EQ(externals_used_count(), 1001u);
}

TEST_F(Externals, TheCollectorReleasesWhatNoLiveOwnerMarkedExactlyOnce) {
    g_owned = externals_store(7, kind_);
    int32_t loose = externals_store(8, kind_);
    collector_add_root_callback(mark_owned);
    collector_collect();
    EXPECT_EQ(g_released[8], 1) << "nothing marked it";
    EXPECT_EQ(g_released.count(7), 0u) << "its owner is alive";
    EXPECT_EQ(externals_handle(loose), 0u);
    collector_remove_root_callback(mark_owned);
    collector_collect();
    collector_collect();
    EXPECT_EQ(g_released[7], 1) << "its owner died: released once";
    EXPECT_EQ(g_released[8], 1);
    EXPECT_EQ(externals_used_count(), 0u);
}

TEST_F(Externals, SlotsKeepValuesAcrossGrowthAndCollections) {
    EXPECT_EQ(slots_get(0), nullptr);
    slots_free(0);
    std::vector<uint32_t> handles;
    for (int32_t i = 0; i < 250; i++) {
        Cell block;
        block_make_at(&block, 1);
        Cell n{T_INTEGER, 0, static_cast<uint32_t>(i), 0};
        block_append_copy(&block, &n);
        handles.push_back(slots_store(&block));
    }
    EXPECT_EQ(handles[0], 1u);
    collect_clean();
    EXPECT_EQ(heap_fault(), "");
    for (int32_t i = 0; i < 250; i++) {
        Cell* c = slots_get(handles[i]);
        ASSERT_NE(c, nullptr);
        ASSERT_EQ(type_of(c), T_BLOCK);
        EXPECT_EQ(block_cell_at(c, 0)->data2, static_cast<uint32_t>(i)) << "rooted by the table";
    }
    slots_free(handles[5]);
    EXPECT_EQ(slots_get(handles[5]), nullptr);
    slots_free(handles[5]);
    Cell v{T_INTEGER, 0, 99, 0};
    EXPECT_EQ(slots_store(&v), handles[5]) << "a freed handle is the next one taken";
    EXPECT_NE(slots_store(&v), handles[5]) << "and only once, though freed twice";
}

} // namespace
