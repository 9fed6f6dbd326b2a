// Video capture over V4L2: devices are the /dev/video* nodes that capture
// and stream; frames come through memory-mapped buffers, read by a thread
// that converts each to B, G, R, A bytes and hands it to the sink.
#include <dirent.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/os/video-capture.h"
#include "platform/os/video-frames.h"

namespace xel::os {

namespace {

int xioctl(int fd, unsigned long request, void* arg) {
    int r;
    do {
        r = ioctl(fd, request, arg);
    } while (r == -1 && errno == EINTR);
    return r;
}

uint32_t capabilities(const v4l2_capability& cap) {
    return (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
}

std::vector<VideoDevice> v4l2_list() {
    std::vector<std::pair<long, std::string>> nodes;
    if (DIR* dir = opendir("/dev")) {
        while (dirent* e = readdir(dir)) {
            if (std::strncmp(e->d_name, "video", 5) != 0) continue;
            char* end;
            long n = std::strtol(e->d_name + 5, &end, 10);
            if (end != e->d_name + 5 && *end == 0) nodes.emplace_back(n, e->d_name);
        }
        closedir(dir);
    }
    std::sort(nodes.begin(), nodes.end());
    std::vector<VideoDevice> devices;
    for (const auto& [n, name] : nodes) {
        std::string path = "/dev/" + name;
        int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        v4l2_capability cap{};
        if (xioctl(fd, VIDIOC_QUERYCAP, &cap) == 0 &&
            (capabilities(cap) & V4L2_CAP_VIDEO_CAPTURE) &&
            (capabilities(cap) & V4L2_CAP_STREAMING))
            devices.push_back({path, reinterpret_cast<const char*>(cap.card)});
        close(fd);
    }
    return devices;
}

// The device formats we convert, best first.
struct FormatChoice {
    uint32_t pixel_format;
    FrameFormat frame;
};
const FormatChoice kFormats[] = {
    {V4L2_PIX_FMT_XBGR32, FrameFormat::kBgrx32}, {V4L2_PIX_FMT_ABGR32, FrameFormat::kBgrx32},
    {V4L2_PIX_FMT_BGR32, FrameFormat::kBgrx32},  {V4L2_PIX_FMT_YUYV, FrameFormat::kYuyv},
    {V4L2_PIX_FMT_BGR24, FrameFormat::kBgr24},   {V4L2_PIX_FMT_RGB24, FrameFormat::kRgb24},
};

class V4l2Capture : public VideoCapture {
  public:
    ~V4l2Capture() override {
        stop();
        for (const Mapped& m : buffers_)
            munmap(m.start, m.length);
        if (fd_ >= 0) close(fd_);
    }

    bool open_device(const VideoDevice& device, std::string* error) {
        fd_ = open(device.path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return fail(error, "cannot open " + device.path);
        if (!choose_format()) return fail(error, "no frame format this program reads");
        v4l2_requestbuffers req{};
        req.count = 4;
        req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        req.memory = V4L2_MEMORY_MMAP;
        if (xioctl(fd_, VIDIOC_REQBUFS, &req) < 0 || req.count < 1)
            return fail(error, "no streaming buffers");
        for (uint32_t i = 0; i < req.count; i++) {
            v4l2_buffer b{};
            b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            b.memory = V4L2_MEMORY_MMAP;
            b.index = i;
            if (xioctl(fd_, VIDIOC_QUERYBUF, &b) < 0) return fail(error, "no streaming buffers");
            void* p = mmap(nullptr, b.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, b.m.offset);
            if (p == MAP_FAILED) return fail(error, "no streaming buffers");
            buffers_.push_back({p, b.length});
        }
        return true;
    }

    int width() const override { return width_; }
    int height() const override { return height_; }

    bool start(FrameSink sink) override {
        for (uint32_t i = 0; i < buffers_.size(); i++) {
            v4l2_buffer b{};
            b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            b.memory = V4L2_MEMORY_MMAP;
            b.index = i;
            if (xioctl(fd_, VIDIOC_QBUF, &b) < 0) return false;
        }
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (xioctl(fd_, VIDIOC_STREAMON, &type) < 0) return false;
        stop_.store(false);
        thread_ = std::thread([this, sink = std::move(sink)] { run(sink); });
        return true;
    }

    void stop() override {
        if (!thread_.joinable()) return;
        stop_.store(true);
        thread_.join();
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        xioctl(fd_, VIDIOC_STREAMOFF, &type);
    }

  private:
    struct Mapped {
        void* start;
        size_t length;
    };

    static bool fail(std::string* error, const std::string& why) {
        *error = why;
        return false;
    }

    bool choose_format() {
        v4l2_format fmt{};
        fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (xioctl(fd_, VIDIOC_G_FMT, &fmt) < 0) return false;
        for (const FormatChoice& want : kFormats) {
            v4l2_format f = fmt;
            f.fmt.pix.pixelformat = want.pixel_format;
            f.fmt.pix.field = V4L2_FIELD_NONE;
            if (xioctl(fd_, VIDIOC_S_FMT, &f) == 0 && f.fmt.pix.pixelformat == want.pixel_format) {
                format_ = want.frame;
                width_ = static_cast<int>(f.fmt.pix.width);
                height_ = static_cast<int>(f.fmt.pix.height);
                stride_ = f.fmt.pix.bytesperline;
                if (stride_ == 0)
                    stride_ = static_cast<size_t>(width_) * frame_bytes_per_pixel(want.frame);
                return width_ > 0 && height_ > 0;
            }
        }
        return false;
    }

    void run(const FrameSink& sink) {
        std::vector<uint8_t> frame(static_cast<size_t>(width_) * height_ * 4);
        while (!stop_.load()) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            v4l2_buffer b{};
            b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            b.memory = V4L2_MEMORY_MMAP;
            if (xioctl(fd_, VIDIOC_DQBUF, &b) < 0) continue;
            const Mapped& m = buffers_[b.index];
            // A short frame gives only its whole rows.
            size_t used = b.bytesused ? std::min<size_t>(b.bytesused, m.length) : m.length;
            int rows = static_cast<int>(std::min<size_t>(height_, used / stride_));
            frame_to_bgra(format_, static_cast<const uint8_t*>(m.start), stride_, width_, rows,
                          frame.data());
            sink(frame.data(), static_cast<size_t>(rows) * width_ * 4);
            xioctl(fd_, VIDIOC_QBUF, &b);
        }
    }

    int fd_ = -1;
    FrameFormat format_ = FrameFormat::kBgrx32;
    int width_ = 0, height_ = 0;
    size_t stride_ = 0;
    std::vector<Mapped> buffers_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::unique_ptr<VideoCapture> v4l2_open(const VideoDevice& device, std::string* error) {
    auto capture = std::make_unique<V4l2Capture>();
    if (!capture->open_device(device, error)) return nullptr;
    return capture;
}

} // namespace

VideoSystem& video_system() {
    static VideoSystem system{v4l2_list, v4l2_open};
    return system;
}

} // namespace xel::os
