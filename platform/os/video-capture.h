// Video capture devices: their list, and the capture of one of them on a
// thread of its own, each frame converted to B, G, R, A bytes (top row
// first, opaque). Over V4L2; tests put a source of their own in its place.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace xel::os {

struct VideoDevice {
    std::string path;
    std::string name;
};

// Runs on the capture thread for every frame; it must not wait.
using FrameSink = std::function<void(const uint8_t* bgra, size_t length)>;

class VideoCapture {
  public:
    virtual ~VideoCapture() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Starts the capture thread; false when the device does not stream.
    virtual bool start(FrameSink sink) = 0;
    // Stops and joins the capture thread; no frame arrives afterwards.
    virtual void stop() = 0;
};

struct VideoSystem {
    std::vector<VideoDevice> (*list)();
    // An opened device with its frame size chosen, or nullptr (with the
    // reason in error).
    std::unique_ptr<VideoCapture> (*open)(const VideoDevice& device, std::string* error);
};

// The capture devices of the system: V4L2 unless a test replaced it.
VideoSystem& video_system();

} // namespace xel::os
