// The hand-over of video frames from a capture thread to the main thread,
// without a lock: one frame buffer and a state word changed atomically.
//
//   1 armed   -> 3 copying   capture thread, compare-and-swap, then it copies
//   3 copying -> 2 ready     capture thread, store, then it notifies
//   2 ready   -> 0 held      main thread, after reading the buffer
//   0 held    -> 1 armed     main thread, to ask for the next frame
//   1 armed   -> 0 held      main thread, compare-and-swap, when it stops waiting
//
// The capture thread writes the buffer only between winning 1 -> 3 and
// storing 2; the main thread reads it only in state 2. The capture thread
// never waits: a frame that finds the state other than 1 is dropped.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace xel::os {

enum FrameState : int32_t {
    kFrameHeld = 0,
    kFrameArmed = 1,
    kFrameReady = 2,
    kFrameCopying = 3,
};

struct FrameHandover {
    // The frame is width x height pixels of 4 bytes (B, G, R, A).
    FrameHandover(int width, int height, void (*notify)(void*), void* target);

    int width;
    int height;
    std::vector<uint8_t> buffer;
    std::atomic<int32_t> state{kFrameArmed};
    // Called on the capture thread once a frame is ready: it must only post.
    void (*notify)(void*);
    void* target;
};

// Capture thread: fill writes at most capacity bytes into the buffer (a
// plain copy by offer). False when the frame was dropped.
template <class Fill> bool handover_offer_with(FrameHandover* h, Fill&& fill) {
    int32_t armed = kFrameArmed;
    if (!h->state.compare_exchange_strong(armed, kFrameCopying)) return false;
    fill(h->buffer.data(), h->buffer.size());
    h->state.store(kFrameReady);
    if (h->notify) h->notify(h->target);
    return true;
}
bool handover_offer(FrameHandover* h, const uint8_t* data, size_t length);

// Main thread: the ready frame is read (read(buffer, width, height)), then
// the state is held. False, and nothing read, when no frame is ready.
template <class Read> bool handover_take_ready(FrameHandover* h, Read&& read) {
    if (h->state.load() != kFrameReady) return false;
    read(h->buffer.data(), h->width, h->height);
    h->state.store(kFrameHeld);
    return true;
}

// Main thread: asks for the next frame.
inline void handover_arm(FrameHandover* h) {
    h->state.store(kFrameArmed);
}

// The wait of a snapshot: arms, polls every 0.01 s for about three seconds,
// then withdraws the arming or waits out a copy. True when a frame is ready.
bool handover_wait_fresh(FrameHandover* h);

// Main thread: waits for a fresh frame, reads it when one came and holds the
// state. False when no frame came.
template <class Read> bool handover_snapshot(FrameHandover* h, Read&& read) {
    bool ready = handover_wait_fresh(h);
    if (ready) read(h->buffer.data(), h->width, h->height);
    h->state.store(kFrameHeld);
    return ready;
}

} // namespace xel::os
