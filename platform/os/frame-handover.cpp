#include "platform/os/frame-handover.h"

#include <time.h>

#include <algorithm>
#include <cstring>

namespace xel::os {

namespace {

void sleep_seconds(double s) {
    timespec t{0, static_cast<long>(s * 1e9)};
    nanosleep(&t, nullptr);
}

} // namespace

FrameHandover::FrameHandover(int w, int h, void (*n)(void*), void* t)
    : width(w), height(h), buffer(static_cast<size_t>(w) * static_cast<size_t>(h) * 4), notify(n),
      target(t) {}

bool handover_offer(FrameHandover* h, const uint8_t* data, size_t length) {
    return handover_offer_with(h, [&](uint8_t* out, size_t capacity) {
        std::memcpy(out, data, std::min(length, capacity));
    });
}

bool handover_wait_fresh(FrameHandover* h) {
    h->state.store(kFrameArmed);
    // A 32-bit counter of the time waited, as the design counts it.
    float waited = 0.0f;
    while (h->state.load() != kFrameReady && waited <= 3.0f) {
        sleep_seconds(0.01);
        waited += 0.01f;
    }
    int32_t armed = kFrameArmed;
    if (!h->state.compare_exchange_strong(armed, kFrameHeld))
        while (h->state.load() == kFrameCopying)
            sleep_seconds(0.001);
    return h->state.load() == kFrameReady;
}

} // namespace xel::os
