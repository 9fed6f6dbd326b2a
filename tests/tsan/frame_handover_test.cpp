// The camera's frame hand-over between a capture thread and the main thread,
// built with ThreadSanitizer: a fake frame source on its own thread offers
// frames as fast as it can while the main thread takes snapshots and frames
// announced as ready. The sanitizer reports any access to the buffer that
// the state word does not order.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/os/frame-handover.h"

using namespace xel::os;

namespace {

constexpr int kWidth = 64, kHeight = 48;

// Frame k: its number in the first four bytes, then every byte k mod 256.
void fill_frame(uint8_t* out, size_t capacity, uint32_t k) {
    std::memset(out, static_cast<int>(k & 0xFF), capacity);
    std::memcpy(out, &k, sizeof k);
}

// The frame's number, or -1 when its bytes are torn.
int64_t frame_number(const uint8_t* data, int w, int h) {
    uint32_t k;
    std::memcpy(&k, data, sizeof k);
    for (size_t i = sizeof k; i < static_cast<size_t>(w) * h * 4; i++)
        if (data[i] != (k & 0xFF)) return -1;
    return k;
}

struct FakeSource {
    explicit FakeSource(FrameHandover* h) : handover(h) {
        thread = std::thread([this] {
            uint32_t k = 1;
            while (!stop.load()) {
                if (handover_offer_with(handover,
                                        [&](uint8_t* out, size_t cap) { fill_frame(out, cap, k); }))
                    offered.fetch_add(1);
                k++;
                std::this_thread::yield();
            }
        });
    }
    ~FakeSource() {
        stop.store(true);
        thread.join();
    }
    FrameHandover* handover;
    std::atomic<bool> stop{false};
    std::atomic<int> offered{0};
    std::thread thread;
};

void count_notice(void* target) {
    static_cast<std::atomic<int>*>(target)->fetch_add(1);
}

TEST(FrameHandover, SnapshotsEachWaitForAFreshWholeFrame) {
    std::atomic<int> notices{0};
    FrameHandover h(kWidth, kHeight, count_notice, &notices);
    FakeSource source(&h);
    int64_t last = 0;
    for (int i = 0; i < 40; i++) {
        int64_t k = -2;
        ASSERT_TRUE(handover_snapshot(
            &h, [&](const uint8_t* data, int w, int hh) { k = frame_number(data, w, hh); }));
        ASSERT_GT(k, last) << "snapshot " << i << " saw a torn or old frame";
        last = k;
        EXPECT_EQ(h.state.load(), kFrameHeld);
    }
}

TEST(FrameHandover, ReadyFramesAreTakenWhenAnnouncedAndArmedAgain) {
    std::atomic<int> notices{0};
    FrameHandover h(kWidth, kHeight, count_notice, &notices);
    FakeSource source(&h);
    int taken = 0, seen = 0;
    int64_t last = 0;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (taken < 200 && std::chrono::steady_clock::now() < until) {
        if (notices.load() == seen) {
            std::this_thread::yield();
            continue;
        }
        seen = notices.load();
        int64_t k = -2;
        if (handover_take_ready(
                &h, [&](const uint8_t* d, int w, int hh) { k = frame_number(d, w, hh); })) {
            ASSERT_GT(k, last);
            last = k;
            taken++;
            handover_arm(&h);
        }
    }
    EXPECT_EQ(taken, 200);
}

TEST(FrameHandover, FramesThatFindTheBufferHeldOrReadyAreDropped) {
    FrameHandover h(2, 2, nullptr, nullptr);
    uint8_t first[16], second[16];
    std::memset(first, 1, sizeof first);
    std::memset(second, 2, sizeof second);
    ASSERT_TRUE(handover_offer(&h, first, sizeof first));
    EXPECT_EQ(h.state.load(), kFrameReady);
    EXPECT_FALSE(handover_offer(&h, second, sizeof second));
    h.state.store(kFrameHeld);
    EXPECT_FALSE(handover_offer(&h, second, sizeof second));
    EXPECT_EQ(h.buffer[0], 1);
}

TEST(FrameHandover, LongFramesAreCutAndShortOnesFillTheFront) {
    FrameHandover h(2, 2, nullptr, nullptr);
    uint8_t big[40];
    std::memset(big, 7, sizeof big);
    ASSERT_TRUE(handover_offer(&h, big, sizeof big));
    EXPECT_EQ(h.buffer.size(), 16u);
    EXPECT_EQ(h.buffer[15], 7);
    handover_arm(&h);
    uint8_t small[4] = {9, 9, 9, 9};
    ASSERT_TRUE(handover_offer(&h, small, sizeof small));
    EXPECT_EQ(h.buffer[3], 9);
    EXPECT_EQ(h.buffer[4], 7);
}

TEST(FrameHandover, ASnapshotWithoutFramesGivesNoneAfterAboutThreeSeconds) {
    FrameHandover h(2, 2, nullptr, nullptr);
    auto start = std::chrono::steady_clock::now();
    bool read = false;
    EXPECT_FALSE(handover_snapshot(&h, [&](const uint8_t*, int, int) { read = true; }));
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(read);
    EXPECT_GE(waited, 3.0);
    EXPECT_EQ(h.state.load(), kFrameHeld);
}

} // namespace
