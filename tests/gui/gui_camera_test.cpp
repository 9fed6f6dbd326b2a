// Camera faces with a fake video system in place of V4L2: two devices whose
// capture threads make numbered frames (every pixel's blue byte the frame
// number), or none at all.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "gui/backend/backend.h"
#include "platform/os/video-capture.h"
#include "runtime/printing/print-hooks.h"
#include "tests/gui/gui_test_support.h"

using namespace xel;
using namespace xel_test;

namespace {

std::string g_printed;
std::atomic<int> g_running{0};

class FakeCapture : public os::VideoCapture {
  public:
    ~FakeCapture() override { stop(); }
    int width() const override { return 64; }
    int height() const override { return 48; }
    bool start(os::FrameSink sink) override {
        stop_.store(false);
        g_running.fetch_add(1);
        thread_ = std::thread([this, sink] {
            std::vector<uint8_t> frame(64 * 48 * 4);
            for (uint8_t k = 1; !stop_.load(); k = static_cast<uint8_t>(k % 250 + 1)) {
                for (size_t i = 0; i < frame.size(); i += 4) {
                    frame[i] = k;
                    frame[i + 1] = frame[i + 2] = 0;
                    frame[i + 3] = 255;
                }
                sink(frame.data(), frame.size());
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        return true;
    }
    void stop() override {
        if (!thread_.joinable()) return;
        stop_.store(true);
        thread_.join();
        g_running.fetch_sub(1);
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

bool g_no_devices = false;

std::vector<os::VideoDevice> fake_list() {
    if (g_no_devices) return {};
    return {{"/dev/fake0", "Fake camera 1"}, {"/dev/fake1", "Fake camera 2"}};
}

std::unique_ptr<os::VideoCapture> fake_open(const os::VideoDevice&, std::string*) {
    return std::make_unique<FakeCapture>();
}

// Pumps for a while, so the capture threads hand over frames.
void pump_frames() {
    for (int i = 0; i < 20; i++) {
        gui::do_events(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

class Camera : public ::testing::Test {
  protected:
    // What the run-time prints is kept for the tests to read.
    static void SetUpTestSuite() {
        printhooks_add(nullptr,
                       [](const char* text, uint32_t n, int) { g_printed.append(text, n); });
    }
    void SetUp() override {
        ASSERT_TRUE(gui::has_display());
        os::video_system() = {fake_list, fake_open};
        g_no_devices = false;
        g_printed.clear();
        eval(R"(
            p: system/view/platform
            face: func [type spec /local f] [
                f: make object! [type: none offset: 0x0 size: 10x10 text: none image: none
                    color: none menu: none data: none enabled?: true visible?: true
                    selected: none flags: none options: none parent: none pane: none state: none
                    rate: none edge: none para: none font: none actors: none extra: none
                    draw: none ratio: 0.0]
                f/type: type  do bind spec f  f]
            show: func [f parent] [
                f/state: reduce [p/make-view f either parent [parent/state/1] [p/make-null-handle]
                    0 none false]
                f]
            changed: func [f bits] [f/state/2: bits  p/update-view f]
            system/view/awake: func [event /with face] [none]
            win: show face 'window [offset: 40x40 size: 300x200 text: "Camera"] none
            p/show-window win/state/1
        )");
        pump_frames();
    }
    void TearDown() override {
        eval("p/destroy-view win false");
        pump_frames();
        EXPECT_EQ(g_running.load(), 0) << "a capture thread outlived its face";
    }
};

TEST_F(Camera, DevicesAreListedAndTheFirstFrameBecomesTheImage) {
    eval("cam: show face 'camera [offset: 10x10 size: 100x100 selected: 1] win append win/pane: "
         "[] cam");
    EXPECT_EQ(eval("cam/data"), "[\"Fake camera 1\" \"Fake camera 2\"]");
    EXPECT_EQ(eval("cam/ratio"), "1.3333333333333333");
    EXPECT_EQ(g_running.load(), 1);
    for (int i = 0; i < 20 && eval("cam/image") == "none"; i++)
        pump_frames();
    EXPECT_EQ(eval("reduce [type? cam/image cam/image/size]"), "[image! 64x48]");
}

// The pixel at a point of the window titled "Camera", as the screen shows it.
uint32_t window_pixel(int x, int y) {
    GtkWidget* window = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l; l = l->next)
        if (g_strcmp0(gtk_window_get_title(GTK_WINDOW(l->data)), "Camera") == 0)
            window = GTK_WIDGET(l->data);
    g_list_free(all);
    if (!window) return 0;
    GdkPixbuf* pb = gdk_pixbuf_get_from_window(gtk_widget_get_window(window), x, y, 1, 1);
    if (!pb) return 0;
    const guchar* p = gdk_pixbuf_get_pixels(pb);
    uint32_t rgb = static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
    g_object_unref(pb);
    return rgb;
}

TEST_F(Camera, TheLivePictureFillsTheFittedPartOfTheFace) {
    eval("cam: show face 'camera [offset: 10x10 size: 100x100 selected: 1] win append win/pane: "
         "[] cam");
    for (int i = 0; i < 10; i++)
        pump_frames();
    // 64x48 frames in 100x100: rows 13 to 87 show the picture, blue only.
    uint32_t inside = window_pixel(60, 60);
    EXPECT_EQ(inside & 0xFFFF00, 0u) << std::hex << inside;
    EXPECT_NE(inside & 0xFF, 0u) << std::hex << inside;
    EXPECT_NE(window_pixel(60, 15) & 0xFFFF00, 0u) << "the margin shows the face's background";
}

TEST_F(Camera, SnapshotsTakeAFreshFrameEachAndNoneOnceStopped) {
    eval("cam: show face 'camera [offset: 10x10 size: 100x100 selected: 2] win append win/pane: "
         "[] cam");
    eval("cam/image: none changed cam 16  a: cam/image");
    eval("cam/image: none changed cam 16  b: cam/image");
    EXPECT_EQ(eval("reduce [type? a type? b]"), "[image! image!]");
    EXPECT_EQ(eval("(third pick a 1) <> (third pick b 1)"), "true");
    // to image! of a camera face is a snapshot, kept in its image facet.
    EXPECT_EQ(eval("c: to image! cam  reduce [c/size same? c cam/image]"), "[64x48 true]");
    eval("cam/selected: none changed cam 1024");
    EXPECT_EQ(g_running.load(), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(eval("cam/image: none changed cam 16  cam/image"), "none");
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 3.0);
}

TEST_F(Camera, ADeviceBeyondTheListCannotBeOpened) {
    eval("cam: show face 'camera [offset: 10x10 size: 100x100] win append win/pane: [] cam");
    EXPECT_EQ(g_running.load(), 0);
    EXPECT_EQ(
        eval("cam/selected: 3 changed cam 1024"),
        "*** Access Error: cannot open: 3\n*** Where: update-view\n*** Near : p/update-view f")
        << "";
    EXPECT_EQ(eval("cam/selected: 1 changed cam 1024 cam/data"),
              "[\"Fake camera 1\" \"Fake camera 2\"]");
    EXPECT_EQ(g_running.load(), 1);
}

TEST_F(Camera, ASelectedDeviceBeyondTheListFailsItsMakeView) {
    EXPECT_EQ(eval("show face 'camera [offset: 10x10 size: 100x100 selected: 3] win"),
              "*** Access Error: cannot open: 3\n*** Where: make-view\n"
              "*** Near : f/state: reduce [p/make-view f either pa");
    EXPECT_EQ(g_running.load(), 0);
}

TEST_F(Camera, WithoutDevicesTheFaceStaysEmpty) {
    g_no_devices = true;
    eval("cam: show face 'camera [offset: 10x10 size: 100x100 selected: 1] win append win/pane: "
         "[] cam");
    EXPECT_NE(g_printed.find("No video capture hardware"), std::string::npos) << g_printed;
    EXPECT_EQ(eval("reduce [cam/data cam/image cam/ratio]"), "[none none 0.0]");
    EXPECT_EQ(
        eval("cam/selected: 1 changed cam 1024"),
        "*** Access Error: cannot open: 1\n*** Where: update-view\n*** Near : p/update-view f");
}

TEST_F(Camera, DestroyingTheFaceStopsItsCapture) {
    eval("cam: show face 'camera [offset: 10x10 size: 100x100 selected: 1] win append win/pane: "
         "[] cam");
    EXPECT_EQ(g_running.load(), 1);
    eval("p/destroy-view cam false");
    EXPECT_EQ(g_running.load(), 0);
}

} // namespace
