#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/os/virtual-memory.h"
#include "runtime/core/runtime-record.h"
#include "runtime/core/throw.h"
#include "runtime/error-fire.h"
#include "runtime/memory/collector-hook.h"
#include "runtime/memory/series-memory-internal.h"
#include "runtime/runtime-init.h"

using namespace xel;

namespace {

class SeriesMemory : public ::testing::Test {
  protected:
    void SetUp() override {
        memory_init();
        os_set_commit_limit(0);
        g_collector_enabled = false;
        g_collect = nullptr;
        new_node_frame(kNodeFrameCapacity);
        new_series_frame();
    }
    void TearDown() override { os_set_commit_limit(0); }

    static SeriesFrame* frame_of(const SeriesBuf* b) {
        for (Offset o = g_memory.first_series_frame; o; o = at<SeriesFrame>(o)->next)
            if (offset_of(b) >= o && offset_of(b) < at<SeriesFrame>(o)->end)
                return at<SeriesFrame>(o);
        return nullptr;
    }
    static SeriesBuf* bytes(uint32_t n) { return buffer_of(alloc_bytes(n)); }

    // Raises the language error the body throws and returns its internal id.
    template <class F> static int internal_error_of(F&& f) {
        uint32_t code = catch_at(kCatchErrors, f);
        EXPECT_EQ(code, kThrowError);
        EXPECT_EQ(g_pending_error.category, kCatInternal);
        return g_pending_error.id;
    }
};

TEST_F(SeriesMemory, SizesRoundToSixteenWithAMinimumLine) {
    struct Case {
        uint32_t count, unit, size;
    } cases[] = {{0, 1, 16},  {0, 4, 16},    {1, 16, 16}, {1, 1, 16},
                 {17, 1, 32}, {100, 2, 208}, {3, 4, 16}};
    for (const Case& c : cases) {
        SeriesBuf* b = buffer_of(alloc_series(c.count, c.unit, 0));
        EXPECT_EQ(b->size, c.size) << c.count << "x" << c.unit;
        EXPECT_EQ(b->unit(), c.unit);
        EXPECT_EQ(b->flags & (kFlagInUse | kFlagAllocated), kFlagInUse | kFlagAllocated);
        EXPECT_EQ(b->head, b->data());
        EXPECT_EQ(b->tail, b->head);
        EXPECT_EQ(*at<Offset>(b->node), offset_of(b));
    }
}

TEST_F(SeriesMemory, BuffersAreLaidEndToEndWithTheirSlack) {
    SeriesBuf* a = bytes(40); // 48 bytes of data
    SeriesBuf* b = bytes(1);
    EXPECT_EQ(offset_of(b), offset_of(a) + 48 + kBufferOverhead);
}

TEST_F(SeriesMemory, ABufferFitsOnlyStrictlyBelowTheFrameEnd) {
    SeriesFrame* f = at<SeriesFrame>(g_memory.first_series_frame);
    ASSERT_EQ(f->end - f->free, kFrameSizeInitial);
    // Leave exactly room for one buffer of 524272 bytes (need 524296).
    SeriesBuf* first = bytes(524256);
    ASSERT_EQ(frame_of(first), f);
    ASSERT_EQ(f->end - f->free, 524272u + kBufferOverhead);

    EXPECT_EQ(find_series_frame(524256 + kBufferOverhead), f);
    EXPECT_EQ(find_series_frame(524272 + kBufferOverhead), nullptr);
    SeriesBuf* exact = bytes(524272);
    EXPECT_NE(frame_of(exact), f) << "filling the frame to its last byte must take another frame";
}

TEST_F(SeriesMemory, BigBlockThreshold) {
    SeriesBuf* below = bytes(kFrameSizeMax - 40);
    EXPECT_FALSE(below->flags & kFlagBig);
    int collections = 0;
    static int* counter = &collections;
    g_collect = [] { ++*counter; };
    g_collector_enabled = true;
    SeriesBuf* big = bytes(kFrameSizeMax - kBufferOverhead);
    EXPECT_TRUE(big->flags & kFlagBig);
    EXPECT_EQ(collections, 1) << "a big block is made after a collection";
    EXPECT_EQ(offset_of(big), g_memory.first_big + sizeof(BigBlock));
    SeriesBuf* big2 = bytes(3u << 20);
    EXPECT_EQ(at<BigBlock>(g_memory.first_big)->next + sizeof(BigBlock), offset_of(big2));
    EXPECT_EQ(at<BigBlock>(g_memory.first_big)->size, big->size + kBufferOverhead);
}

TEST_F(SeriesMemory, AFrameWithTooLittleRoomIsPassedOverAndCollectedBeforeANewFrame) {
    static int collections;
    for (bool enabled : {false, true}) {
        for (uint32_t room : {40008u, 60008u}) {
            SetUp();
            SeriesFrame* f1 = at<SeriesFrame>(g_memory.first_series_frame);
            bytes(kFrameSizeInitial - room - kBufferOverhead);
            ASSERT_EQ(f1->end - f1->free, room);
            SeriesBuf* other = bytes(room); // cannot fit f1: makes f2, now current
            SeriesFrame* f2 = frame_of(other);
            ASSERT_NE(f2, f1);
            bytes(f2->end - f2->free - kBufferOverhead - 504); // leaves 504 bytes in f2
            collections = 0;
            g_collect = [] { collections++; };
            g_collector_enabled = enabled;
            SeriesBuf* b = bytes(1000);
            SCOPED_TRACE(testing::Message() << "room " << room << " collection " << enabled);
            if (room < kFrameMinRoom) {
                EXPECT_TRUE(frame_of(b) != f1 && frame_of(b) != f2);
                // Frames each left with a little room would otherwise grow
                // memory without end.
                EXPECT_EQ(collections, enabled ? 1 : 0) << "a new frame only after a collection";
            } else {
                EXPECT_EQ(frame_of(b), f1);
                EXPECT_EQ(collections, 0);
            }
        }
    }
}

// Offsets the collector's stack scan could take a number for lie above every
// positive 32-bit integer and below the small negative ones.
TEST_F(SeriesMemory, ArenaBlocksLieWhereIntegersSeldomDo) {
    std::vector<Offset> blocks;
    for (int i = 0; i < 4; i++) {
        blocks.push_back(os_virtual_alloc(1 << 20, false));
        EXPECT_GT(blocks.back(), 0x80000000u);
        EXPECT_LT(blocks.back(), 0xF0000000u);
    }
    EXPECT_GT(g_memory.first_node_frame, 0x80000000u);
    EXPECT_GT(g_memory.first_series_frame, 0x80000000u);
    for (Offset b : blocks)
        os_virtual_free(b);
}

TEST_F(SeriesMemory, FrameSizesDoubleToTheMaximum) {
    SeriesFrame* f1 = at<SeriesFrame>(g_memory.first_series_frame);
    EXPECT_EQ(f1->size, kFrameSizeInitial + sizeof(SeriesFrame));
    EXPECT_EQ(new_series_frame()->size, kFrameSizeMax + sizeof(SeriesFrame));
    EXPECT_EQ(new_series_frame()->size, kFrameSizeMax + sizeof(SeriesFrame));
    // Frames stay in ascending address order.
    Offset prev = 0;
    for (Offset o = g_memory.first_series_frame; o; o = at<SeriesFrame>(o)->next) {
        EXPECT_GT(o, prev);
        prev = o;
    }
    EXPECT_EQ(prev, g_memory.last_series_frame);
}

TEST_F(SeriesMemory, AFirstLargeRequestMakesAMaximumFrameAtOnce) {
    memory_init();
    new_node_frame(kNodeFrameCapacity);
    ASSERT_EQ(g_memory.next_frame_size, kFrameSizeInitial);
    SeriesBuf* b = bytes(kFrameSizeInitial);
    EXPECT_EQ(frame_of(b)->size, kFrameSizeMax + sizeof(SeriesFrame));
}

TEST_F(SeriesMemory, ExpansionDoublesAndKeepsContentAndFlags) {
    Offset node = alloc_series(10, 1, -1);
    SeriesBuf* b = buffer_of(node);
    ASSERT_TRUE(b->flags & kFlagHeadSpace);
    EXPECT_EQ(b->head, b->data() + 8);
    std::memcpy(at(b->head), "abcde", 5);
    b->tail = b->head + 5;
    b->flags |= kFlagOwned;
    SeriesBuf* old = b;

    SeriesBuf* n = expand_series_copy(b, 0);
    EXPECT_EQ(buffer_of(node), n);
    EXPECT_EQ(n->size, 32u);
    EXPECT_EQ(n->head, n->data());
    EXPECT_EQ(n->used(), 5u);
    EXPECT_EQ(std::memcmp(at(n->head), "abcde", 5), 0);
    EXPECT_EQ(n->flags & (kFlagOwned | kUnitMask), kFlagOwned | 1u);
    EXPECT_FALSE(n->flags & kFlagHeadSpace);
    EXPECT_EQ(old->node, 0u);
    EXPECT_FALSE(old->flags & kFlagInUse);

    SeriesBuf* filled = expand_series_filled(n, 64, 0x5A);
    EXPECT_EQ(at(filled->head)[31], 0);
    EXPECT_EQ(at(filled->head)[32], 0x5A);
    EXPECT_EQ(at(filled->head)[63], 0x5A);
    EXPECT_EQ(at(filled->head)[4], 'e');
}

TEST_F(SeriesMemory, TheLastBufferOfTheFrameGrowsWhereItStands) {
    Offset node = alloc_bytes(16);
    SeriesBuf* b = buffer_of(node);
    std::memcpy(at(b->head), "abc", 3);
    b->tail = b->head + 3;
    SeriesFrame* frame = frame_of(b);
    Offset free = frame->free;
    uint32_t moves = g_buffer_moves;

    SeriesBuf* grown = expand_series_copy(b, 100);
    EXPECT_EQ(grown, b);
    EXPECT_EQ(buffer_of(node), b);
    EXPECT_EQ(grown->size, 112u);
    EXPECT_EQ(frame->free, free + 96);
    EXPECT_EQ(g_buffer_moves, moves);
    EXPECT_EQ(grown->used(), 3u);
    EXPECT_EQ(std::memcmp(at(grown->head), "abc", 3), 0);
    EXPECT_TRUE(grown->flags & kFlagInUse);

    // Once another buffer follows it, or the frame lacks the room, it moves.
    bytes(16);
    SeriesBuf* moved = expand_series_copy(grown, 0);
    EXPECT_NE(moved, grown);
    EXPECT_EQ(g_buffer_moves, moves + 1);
    EXPECT_EQ(std::memcmp(at(moved->head), "abc", 3), 0);
    SeriesBuf* beyond = expand_series_copy(moved, kFrameSizeInitial);
    EXPECT_NE(beyond, moved);
    EXPECT_EQ(std::memcmp(at(beyond->head), "abc", 3), 0);
}

TEST_F(SeriesMemory, BigFlagFollowsTheNewBuffer) {
    SeriesBuf* big = bytes(kFrameSizeMax);
    ASSERT_TRUE(big->flags & kFlagBig);
    SeriesBuf* bigger = expand_series_copy(big, 0);
    EXPECT_TRUE(bigger->flags & kFlagBig);
    SeriesBuf* small = bytes(64);
    SeriesBuf* grown = expand_series(small, 128);
    EXPECT_FALSE(grown->flags & kFlagBig);
}

TEST_F(SeriesMemory, CopyKeepsUnitFlagsAndContent) {
    Offset node = alloc_units(8, 4);
    SeriesBuf* b = buffer_of(node);
    for (uint32_t i = 0; i < 8; i++)
        at<uint32_t>(b->head)[i] = i * 7;
    b->tail = b->head + 32;
    SeriesBuf* c = buffer_of(copy_series(b));
    EXPECT_NE(c, b);
    EXPECT_EQ(c->unit(), 4u);
    EXPECT_EQ(c->used(), 32u);
    EXPECT_EQ(std::memcmp(at(c->head), at(b->head), 32), 0);
}

TEST_F(SeriesMemory, BadSizesRaiseNoMemory) {
    EXPECT_EQ(internal_error_of([] { expand_series(buffer_of(alloc_bytes(16)), -5); }),
              err::internal::kNoMemory);
    EXPECT_EQ(internal_error_of([] { alloc_series(0x40000000, 16, 0); }), err::internal::kNoMemory);
    os_set_commit_limit(os_committed_bytes() + (1u << 20));
    EXPECT_EQ(internal_error_of([] { bytes(8u << 20); }), err::internal::kNoMemory);
    EXPECT_EQ(g_runtime.pending_throw, kThrowError)
        << "the vm code was cleared, the error is pending";
}

TEST_F(SeriesMemory, NodesComeInAscendingOrderAndEmptyFramesGoAway) {
    NodeFrame* first = at<NodeFrame>(g_memory.first_node_frame);
    Offset a = take_node();
    Offset b = take_node();
    EXPECT_EQ(b, a + 4);
    EXPECT_EQ(*at<Offset>(a), 0u);
    EXPECT_EQ(first->used, 2u);

    NodeFrame* second = new_node_frame(kNodeFrameCapacity);
    Offset c = take_node();
    EXPECT_EQ(c, b + 4) << "the current frame still has nodes";
    give_back_node(first, a);
    give_back_node(first, b);
    give_back_node(first, c);
    Offset keep = offset_of(second);
    g_memory.current_node_frame = keep;
    take_node(); // second frame is in use

    sweep_node_frames();
    EXPECT_EQ(g_memory.first_node_frame, keep) << "the emptied frame was returned";
    Offset d = take_node();
    EXPECT_EQ(d, second->node_at(1));
}

TEST_F(SeriesMemory, SweepKeepsHistoryBits) {
    NodeFrame* f = at<NodeFrame>(g_memory.first_node_frame);
    take_node();
    sweep_node_frames();
    EXPECT_EQ(f->history & 1, 0u);
    sweep_node_frames();
    EXPECT_EQ(f->history & 3, 1u);
}

TEST_F(SeriesMemory, TailCellsDoubleAFullBuffer) {
    Offset node = alloc_cells(1);
    Cell* c1 = series_alloc_tail_cell(buffer_of(node));
    c1->data2 = 11;
    Cell* c2 = series_alloc_tail_cell(buffer_of(node));
    EXPECT_EQ(c2->header, T_UNSET);
    EXPECT_EQ(buffer_of(node)->size, 32u);
    EXPECT_EQ(at<Cell>(buffer_of(node)->head)->data2, 11u);
}

TEST_F(SeriesMemory, ReserveTailGrowsToTwiceTheRequest) {
    Offset node = alloc_bytes(16);
    SeriesBuf* b = buffer_of(node);
    uint8_t* p = series_reserve_tail(b, 100);
    EXPECT_EQ(buffer_of(node)->size, 208u);
    EXPECT_EQ(p, at(buffer_of(node)->head));
    series_reserve_tail(buffer_of(node), 200);
    EXPECT_EQ(buffer_of(node)->size, 416u);
    EXPECT_EQ(buffer_of(node)->used(), 300u);
}

TEST_F(SeriesMemory, RepeatFillAndUnsetCells) {
    uint8_t buf[64] = {1, 2, 3};
    EXPECT_EQ(memory_repeat_fill(buf, 3, 7), buf + 21);
    for (int i = 0; i < 21; i++)
        EXPECT_EQ(buf[i], i % 3 + 1);
    EXPECT_EQ(buf[21], 0);

    SeriesBuf* cells = buffer_of(alloc_unset_cells(3));
    EXPECT_EQ(cells->used(), 0u);
    for (uint32_t i = 0; i < cells->size / 16; i++)
        EXPECT_EQ(at<Cell>(cells->data())[i].header, T_UNSET);
}

TEST_F(SeriesMemory, FixedBuffersAreMarkedAndNeverInFrames) {
    Offset node = alloc_fixed(100, 16, 0);
    SeriesBuf* b = buffer_of(node);
    EXPECT_TRUE(b->flags & kFlagFixed);
    EXPECT_EQ(b->size, 1600u);
    EXPECT_EQ(frame_of(b), nullptr);
}

TEST(Throws, ALevelCatchesItsOwnCodeAndLowerOnes) {
    EXPECT_EQ(catch_at(kCatchLoop, [] { throw_code(kThrowBreak); }), kThrowBreak);
    EXPECT_EQ(catch_at(kCatchLoop, [] { throw_code(kThrowReturn); }), kThrowReturn);
    EXPECT_EQ(catch_at(kCatchAll, [] { throw_code(kThrowQuit); }), kThrowQuit);
    // An inner level below the code lets it through to the outer one.
    uint32_t inner = 1;
    uint32_t outer = catch_at(
        kCatchErrors, [&] { inner = catch_at(kCatchThrow, [] { throw_code(kThrowError); }); });
    EXPECT_EQ(inner, 1u);
    EXPECT_EQ(outer, kThrowError);
    EXPECT_EQ(g_runtime.pending_throw, kThrowError);
    EXPECT_EQ(catch_at(kCatchThrow, [] {}), 0u);
}

// A run-time started again in the same process, as the tests do, begins
// with an empty arena: the last one's memory is released, not kept
// committed beside the new one's.
TEST(RuntimeInit, StartingAgainReleasesTheLastRunTimesMemory) {
    runtime_init();
    uint64_t first = os_committed_bytes();
    for (int i = 0; i < 4; i++)
        runtime_init();
    EXPECT_LE(os_committed_bytes(), first + first / 4);
}

} // namespace
