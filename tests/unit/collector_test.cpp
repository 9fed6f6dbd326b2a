#include <climits>
#include <cstring>
#include <vector>

#include "boot/boot-load.h"
#include "runtime/actions/dispatch.h"
#include "runtime/datatypes/block/block.h"
#include "runtime/datatypes/context/context.h"
#include "runtime/datatypes/string/string.h"
#include "runtime/hashing/hashtable.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "runtime/memory/memory-usage.h"
#include "runtime/memory/series-memory-internal.h"
#include "runtime/ownership/ownership.h"
#include "runtime/stack/exits.h"
#include "tests/unit/collector_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

// Remembered outside the machine stack, so remembering keeps nothing.
Offset g_dead;
Offset g_dead_buffer;
Offset g_kept;
Offset g_kept_buffer;

Cell text(const char* s) {
    Cell c;
    string_make_at(&c, 64);
    string_concatenate_literal(&c, s);
    return c;
}

// The node of a global word's series value.
[[gnu::noinline]] Offset node_of_global(const char* name) {
    int32_t i = context_find_word(g_global_context, symbol_make(name), true);
    return i < 0 ? 0 : context_value_at(g_global_context, static_cast<uint32_t>(i))->data2;
}

std::string text_of(Offset node) {
    Cell c{T_STRING, 0, node, 0};
    return string_utf8_text(&c);
}

Offset buffer_address(Offset node) {
    return *at<Offset>(node);
}

// A string nothing refers to, then one kept on the argument stack.
[[gnu::noinline]] void make_dead_then_kept() {
    Cell dead = text("dead");
    g_dead = dead.data2;
    g_dead_buffer = buffer_address(dead.data2);
    Cell kept = text("kept");
    stack_push(&kept);
    g_kept = kept.data2;
    g_kept_buffer = buffer_address(kept.data2);
}

// As above, but the second string is kept only by its node, returned.
[[gnu::noinline]] Offset make_dead_then_node() {
    Cell dead = text("dead");
    g_dead = dead.data2;
    Cell kept = text("by node");
    g_kept = kept.data2;
    g_kept_buffer = buffer_address(kept.data2);
    return kept.data2;
}

// As above, but the second string is kept only by an address into its data.
[[gnu::noinline]] const uint8_t* make_dead_then_pointed_at() {
    Cell dead = text("dead");
    g_dead = dead.data2;
    Cell kept = text("pinned");
    g_kept = kept.data2;
    g_kept_buffer = buffer_address(kept.data2);
    return at(buffer_of(kept.data2)->head);
}

TEST_F(CollectorFixture, ADroppedSeriesIsReclaimedAndALiveOneSlidesDownWithItsNode) {
    make_dead_then_kept();
    collect_clean();
    EXPECT_TRUE(node_is_free(g_dead));
    ASSERT_FALSE(node_is_free(g_kept));
    // The dead buffer (and older garbage) lay below: the survivor moved down,
    // its node followed, and its head and tail moved with it.
    EXPECT_LT(buffer_address(g_kept), g_kept_buffer);
    EXPECT_EQ(buffer_of(g_kept)->node, g_kept);
    EXPECT_EQ(buffer_of(g_kept)->head, buffer_of(g_kept)->data());
    EXPECT_EQ(string_utf8_text(stack_top()), "kept");
    EXPECT_EQ(heap_fault(), "");
}

TEST_F(CollectorFixture, ANodeOnTheMachineStackKeepsItsSeriesWithoutPinningIt) {
    volatile Offset node = make_dead_then_node();
    collect_clean();
    EXPECT_TRUE(node_is_free(g_dead));
    ASSERT_FALSE(node_is_free(node));
    EXPECT_LT(buffer_address(node), g_kept_buffer);
    EXPECT_EQ(text_of(node), "by node");
    EXPECT_EQ(heap_fault(), "");
}

// Checks made here leave copies of the address in this frame only.
[[gnu::noinline]] void pin_and_collect() {
    const uint8_t* volatile data = make_dead_then_pointed_at();
    collect_clean();
    EXPECT_TRUE(node_is_free(g_dead));
    ASSERT_FALSE(node_is_free(g_kept));
    EXPECT_EQ(buffer_address(g_kept), g_kept_buffer);
    EXPECT_EQ(std::memcmp(data, "pinned", 6), 0);
    // The dead space below the pinned buffer still walks as buffers.
    EXPECT_EQ(heap_fault(), "");
}

TEST_F(CollectorFixture, AnAddressIntoABufferKeepsAndPinsIt) {
    pin_and_collect();
    // Once no address is left, the buffer dies like any other.
    collect_clean();
    EXPECT_TRUE(node_is_free(g_kept));
    EXPECT_EQ(heap_fault(), "");
}

// A block whose buffer expansion replaced, with a position into the old copy
// (as the interpreter keeps while it walks a block that grows): the old copy
// is the only holder of a string.
[[gnu::noinline]] const Cell* expand_under_a_position() {
    Cell blk;
    block_make_at(&blk, 1);
    Cell s = text("only in the old copy");
    block_append_copy(&blk, &s);
    const Cell* position = block_rs_head(&blk);
    Cell* kept = stack_push(&blk);
    Cell n{T_INTEGER, 0, 7, 0};
    for (int i = 0; i < 40; i++)
        block_append_copy(kept, &n);
    *block_cell_at(kept, 0) = n;
    return position;
}

TEST_F(CollectorFixture, AnOldCopyLeftByExpansionStaysReadableWhileTheStackPointsIntoIt) {
    const Cell* volatile position = expand_under_a_position();
    collect_clean();
    ASSERT_EQ(type_of(position), T_STRING);
    EXPECT_EQ(string_utf8_text(position), "only in the old copy");
    EXPECT_EQ(heap_fault(), "");
}

[[gnu::noinline]] void fill_a_new_node_frame() {
    uint32_t frames = node_frame_count();
    while (node_frame_count() == frames)
        alloc_bytes(8);
    for (int i = 0; i < 100; i++)
        alloc_bytes(8);
}

TEST_F(CollectorFixture, ANodeFrameLeftEmptyIsReleased) {
    uint32_t frames = node_frame_count();
    fill_a_new_node_frame();
    ASSERT_EQ(node_frame_count(), frames + 1);
    collect_clean();
    EXPECT_EQ(node_frame_count(), frames);
    EXPECT_EQ(heap_fault(), "");
}

// Fills the node frames the boot data left room in, then keeps every 20th of
// 2,000 strings made in a new frame in a block on the argument stack; the
// first of them is owned by an object that the block keeps too.
[[gnu::noinline]] void make_sparse_node_frame() {
    Cell keep;
    block_make_at(&keep, 120);
    Cell* kept = stack_push(&keep);
    Cell owner{T_OBJECT, context_make(1, kContextObject, 0, false, false), 1000000, 0};
    block_append_copy(kept, &owner);
    uint32_t frames = node_frame_count();
    while (node_frame_count() == frames)
        alloc_bytes(8);
    for (int i = 0; i < 2000; i++) {
        Cell s = text(std::to_string(i).c_str());
        if (i % 20 == 0) block_append_copy(stack_top(), &s);
    }
    Cell word = *word_load("field");
    ownership_set_owner(block_cell_at(stack_top(), 1), block_cell_at(stack_top(), 0), &word);
}

bool node_frame_listed(const NodeFrame* frame) {
    for (Offset o = g_memory.first_node_frame; o; o = at<NodeFrame>(o)->next)
        if (at<NodeFrame>(o) == frame) return true;
    return false;
}

TEST_F(CollectorFixture, ASparseSteadyNodeFrameIsEmptiedAndItsNodesFollowed) {
    make_sparse_node_frame();
    uint32_t frames = node_frame_count();
    auto* sparse = at<NodeFrame>(g_memory.last_node_frame);
    // Six collections with an unchanged count, then the frame is emptied (a
    // frame of the boot data's left sparse by the filler may go with it).
    for (int i = 0; i < 8; i++)
        collect_clean();
    EXPECT_LT(node_frame_count(), frames);
    EXPECT_FALSE(node_frame_listed(sparse));
    EXPECT_EQ(g_node_generation, 1u);
    Cell keep = *stack_top();
    ASSERT_EQ(block_buffer_length(&keep), 101u);
    for (uint32_t i = 1; i <= 100; i++) {
        const Cell* s = block_cell_at(&keep, i);
        EXPECT_TRUE(node_frame_listed(frame_of_node(s->data2)));
        EXPECT_EQ(string_utf8_text(s), std::to_string((i - 1) * 20));
    }
    // The ownership table, keyed by nodes, finds the moved node.
    const Cell* owner = ownership_find_owner(block_cell_at(&keep, 1)->data2);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->data1, block_cell_at(&keep, 0)->data1);
    EXPECT_EQ(heap_fault(), "");
}

TEST_F(CollectorFixture, ValuesWhoseNodesMovedStillWork) {
    boot_run_top_level();
    // Strings fill the node frames the environment left room in and begin a
    // new one; what is made next lies in it too, and the dropped strings
    // leave it sparse.
    eval("keep: copy []");
    uint32_t frames = node_frame_count();
    while (node_frame_count() < frames + 2)
        eval("loop 100 [append keep copy {s}]");
    eval("loop 2000 [append keep copy {s}]");
    eval("o: make object! [b: {in frame two} g: func [x] [append copy b x]] "
         "blk: [x y z] f: does [reduce [blk o/b]] w: in o 'b");
    eval("keep: none");
    uint32_t generation = g_node_generation;
    for (int i = 0; i < 10; i++)
        collect_clean();
    EXPECT_GT(g_node_generation, generation);
    EXPECT_EQ(eval("o/g {?}"), "\"in frame two?\"");
    EXPECT_EQ(eval("f"), "[[x y z] \"in frame two\"]");
    EXPECT_EQ(eval("get w"), "\"in frame two\"");
    EXPECT_EQ(eval("o/b: {changed} o/g {!}"), "\"changed!\"");
    EXPECT_EQ(heap_fault(), "");
}

[[gnu::noinline]] void make_big_strings() {
    Cell dropped;
    string_make_at(&dropped, 3 << 20);
    g_dead_buffer = buffer_address(dropped.data2);
    Cell kept;
    string_make_at(&kept, 3 << 20);
    stack_push(&kept);
    g_kept = kept.data2;
}

bool big_block_listed(Offset buffer) {
    for (Offset b = g_memory.first_big; b; b = at<BigBlock>(b)->next)
        if (b + sizeof(BigBlock) == buffer) return true;
    return false;
}

TEST_F(CollectorFixture, ADeadBigBlockGoesBackToTheSystem) {
    // The scan is conservative: a stray word on the machine stack (the low
    // half of some pointer) may fall inside the dropped block and keep it. A
    // fresh pair is mapped elsewhere, so only a block that never goes back
    // fails every try.
    uint32_t os = 0;
    for (int attempt = 0; attempt < 3; attempt++) {
        if (attempt) stack_pop(1);
        make_big_strings();
        os = g_memory.os_bytes;
        collect_clean();
        if (!big_block_listed(g_dead_buffer)) break;
    }
    EXPECT_FALSE(big_block_listed(g_dead_buffer));
    EXPECT_TRUE(big_block_listed(buffer_address(g_kept)));
    EXPECT_LE(g_memory.os_bytes, os - (3u << 20));
    EXPECT_EQ(heap_fault(), "");
}

// Owned by an object whose context nothing else keeps.
[[gnu::noinline]] void own_by_a_dropped_object() {
    Cell s = text("owned");
    Cell* kept = stack_push(&s);
    g_kept = s.data2;
    Cell owner{T_OBJECT, context_make(1, kContextObject, 0, false, false), 1000000, 0};
    Cell word = *word_load("field");
    ownership_set_owner(kept, &owner, &word);
    Cell dead = text("dead and owned");
    g_dead = dead.data2;
    ownership_set_owner(&dead, &owner, &word);
}

TEST_F(CollectorFixture, OwnershipEntriesLiveOnlyWithTheirSeriesAndOwner) {
    own_by_a_dropped_object();
    ASSERT_NE(ownership_find_owner(g_kept), nullptr);
    collect_clean();
    EXPECT_EQ(ownership_find_owner(g_kept), nullptr);
    EXPECT_TRUE(node_is_free(g_dead));
    // The series lives on and is free to be owned again.
    EXPECT_FALSE(buffer_of(g_kept)->flags & kFlagOwned);
    EXPECT_EQ(hash_record(g_ownership_table)->size, 0u);
}

int g_calls_a;
int g_calls_b;

TEST_F(CollectorFixture, RootCallbacksRunOncePerRegistration) {
    g_calls_a = g_calls_b = 0;
    RootCallback a = [] { g_calls_a++; };
    RootCallback b = [] { g_calls_b++; };
    collector_add_root_callback(a);
    collector_add_root_callback(b);
    collector_add_root_callback(a);
    collector_collect();
    EXPECT_EQ(g_calls_a, 2);
    EXPECT_EQ(g_calls_b, 1);
    collector_remove_root_callback(a);
    collector_collect();
    EXPECT_EQ(g_calls_a, 3);
    EXPECT_EQ(g_calls_b, 2);
}

Offset g_callback_node;

TEST_F(CollectorFixture, ARootCallbackKeepsWhatItMarks) {
    g_callback_node = text("from a callback").data2;
    collector_add_root_callback([] { collector_mark_series(&g_callback_node); });
    collect_clean();
    EXPECT_EQ(text_of(g_callback_node), "from a callback");
}

TEST_F(CollectorFixture, AllocationCollectsOnlyWhenEnabledAndTortureCollectsEveryTime) {
    g_collector_torture = true;
    uint32_t count = g_collection_count;
    for (int i = 0; i < 10; i++)
        alloc_bytes(8);
    EXPECT_EQ(g_collection_count, count);
    g_collector_enabled = true;
    for (int i = 0; i < 10; i++)
        alloc_bytes(8);
    // Each allocation collects; one that finds its frame full after that may
    // collect once more for room, as the start-up's data left it.
    EXPECT_GE(g_collection_count, count + 10);
    EXPECT_LE(g_collection_count, count + 20);
    g_collector_enabled = false;
    count = g_collection_count;
    collector_collect();
    EXPECT_EQ(g_collection_count, count + 1);
}

TEST_F(CollectorFixture, TortureWithAPeriodCollectsAtEveryNthAllocationFromItsPhase) {
    g_collector_torture = true;
    g_torture_period = 4;
    g_torture_count = 1;
    g_collector_enabled = true;
    uint32_t count = g_collection_count;
    for (int i = 0; i < 2; i++)
        alloc_bytes(8);
    EXPECT_EQ(g_collection_count, count);
    alloc_bytes(8);
    EXPECT_GE(g_collection_count, count + 1);
    count = g_collection_count;
    for (int i = 0; i < 8; i++)
        alloc_bytes(8);
    // Two more, and at most one for room after each.
    EXPECT_GE(g_collection_count, count + 2);
    EXPECT_LE(g_collection_count, count + 4);
    g_collector_enabled = false;
    g_collector_torture = false;
    g_torture_period = 1;
}

TEST_F(CollectorFixture, NodeTortureMovesEveryNodeTheStackDoesNotHold) {
    boot_run_top_level();
    eval("o: make object! [s: {moved} f: func [x] [append copy s x]] b: [x y z]");
    g_kept = node_of_global("b");
    g_move_every_node = true;
    collect_clean();
    collect_clean();
    g_move_every_node = false;
    EXPECT_NE(node_of_global("b"), g_kept);
    EXPECT_EQ(eval("reduce [o/f {!} b]"), "[\"moved!\" [x y z]]");
    EXPECT_EQ(heap_fault(), "");
}

[[gnu::noinline]] void make_garbage(int n) {
    for (int i = 0; i < n; i++)
        text("garbage garbage garbage");
}

TEST_F(CollectorFixture, MemoryInUseFallsByWhatDied) {
    collect_clean();
    double before = memory_in_use();
    make_garbage(1000);
    EXPECT_GT(memory_in_use(), before + 1000 * 64);
    collect_clean();
    // Stray words in the test's frames may keep a few series (more of them
    // in the sanitizer's larger frames); most of what died must be gone.
    EXPECT_LT(memory_in_use(), before + 1000 * 64 / 2);
}

} // namespace

namespace {

std::vector<Offset> g_live_nodes;

void mark_live_nodes() {
    for (Offset& n : g_live_nodes)
        collector_mark_series(&n);
}

// Keeps n more 64 KB byte series alive through the root callback.
[[gnu::noinline]] void grow_live(int n) {
    for (int i = 0; i < n; i++)
        g_live_nodes.push_back(alloc_bytes(64 * 1024));
}

TEST_F(CollectorFixture, ALargeLiveHeapGrowsByHalfItselfBeforeItIsMarkedAgain) {
    g_live_nodes.clear();
    collector_add_root_callback(mark_live_nodes);
    g_collector_enabled = true;
    grow_live(16 * 16); // 16 MB, each full frame collecting while it was small
    collect_clean();
    uint32_t count = g_collection_count;
    // Another 6 MB of live data: under half the live heap, so no collection
    // marks the 16 MB again for each 2 MB frame filled.
    grow_live(6 * 16);
    EXPECT_EQ(g_collection_count, count);
    // Growing well past the budget collects again.
    grow_live(8 * 16);
    EXPECT_GT(g_collection_count, count);
    g_collector_enabled = false;
    collector_remove_root_callback(mark_live_nodes);
    g_live_nodes.clear();
}

} // namespace
