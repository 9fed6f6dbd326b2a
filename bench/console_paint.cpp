// The GUI console's terminal under a flood of output: (a) a text of a
// megabyte printed at once, (b) a megabyte that grows one buffer line by
// prin, (c) 100,000 printed lines, in the default buffer of 10,000 lines and
// in one of 100,000. For each: the time to print, one paint of the visible
// rows, a scroll step with its paint, a jump to the top with its paint, and
// the memory held. The paint is the terminal's own, its draw-face commands
// run by the backend's drawing into a 640x480 off-screen surface, as a
// window's drawing event runs them; no display is needed.
//   bench-console_paint [paints]
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/run-script.h"
#include "boot/entry.h"
#include "gui/backend/draw-paint.h"
#include "runtime/routines/library-routines.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWidth = 640, kHeight = 480;
int g_paints = 20;
int g_only = 0; // a scenario's number, or 0 for all
cairo_surface_t* g_surface = nullptr;
cairo_t* g_cr = nullptr;
draw::DrawContext* g_context = nullptr;

RoutineValue bench_draw_face(const RoutineValue* args, uint32_t) {
    draw_face_commands(g_context, args[1].cell);
    return routine_unset();
}

// The console as its launch leaves it, without a window: the face 640x480,
// the configured font and buffer, the scroller of the face.
const char* kSetup = R"(
unless object? system/console [system/console: make object! [size: 80x25 history: make block! 10 prompt: ">> "]]
system/view/platform: make system/view/platform [
    redraw: func [face] [] update-view: func [face] []
    draw-face: :bench-draw-face
]
system/view/auto-sync?: false
c: gui-console-ctx t: c/terminal
c/console/state: reduce [0 0 none]
c/win/visible?: true
c/console/size: 640x480
c/scroller: get-scroller c/console 'vertical
t/box/data: make block! 200
fresh: func [lines] [
    t/max-lines: lines t/full?: false
    foreach w [lines nlines heights flags] [set in t w clear head get in t w]
    t/top: 1 t/scroll-y: 0 t/line-cnt: 0 t/screen-cnt: 0 clear t/selects
    t/prin?: false t/newline?: true t/line: none
    recycle
]
c/focused?: true t/mouse-up?: true
t/update-cfg c/font [buffer-lines: 10000 background: 252.252.252]
t/resize 640x480
t/adjust-console-size 640x480
megabyte: append/dup make string! 1048576 "0123456789abcdef" 65536
piece: copy/part megabyte 65536
)";

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double timed(const std::string& code) {
    auto t0 = Clock::now();
    if (!bench::run_script(code)) {
        std::printf("failed: %s\n", code.c_str());
        std::exit(1);
    }
    return ms_since(t0);
}

// One frame as a window paints it: the face's background, then the
// terminal's paint.
double frame() {
    cairo_set_source_rgb(g_cr, 252 / 255.0, 252 / 255.0, 252 / 255.0);
    cairo_paint(g_cr);
    return timed("t/paint");
}

double median_frame(const std::string& before = "") {
    std::vector<double> v;
    for (int i = 0; i < g_paints; i++) {
        if (!before.empty()) timed(before);
        v.push_back(frame());
    }
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long rss_kb() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * 4;
}

void scenario(int number, const char* name, int buffer, const std::string& print) {
    if (g_only && number != g_only) return;
    timed("fresh " + std::to_string(buffer));
    long before = rss_kb();
    double print_ms = timed(print);
    // The prompt below the output, as ask leaves it.
    timed("t/line: tail copy \">> \" t/add-line head t/line t/ask?: true");
    double first = frame();
    double paint = median_frame();
    // A step of three rows up (a wheel notch) and back, each with its paint.
    double step = median_frame("t/scroll-lines either odd? t/top [3] [-3]");
    timed("t/scroll-lines 1000000");
    double top = median_frame();
    timed("recycle");
    std::printf("%-28s print %9.1f ms  first paint %7.2f ms  paint %6.2f ms  scroll+paint "
                "%6.2f ms  at top %6.2f ms  +%ld KB\n",
                name, print_ms, first, paint, step, top, rss_kb() - before);
    std::fflush(stdout);
    bench::run_script("n: 0 foreach s t/lines [n: max n length? head s] write-stdout rejoin "
                      "[\"    buffer lines \" length? t/lines \", rows \" t/line-cnt "
                      "\", longest line \" n \" chars^/\"]");
}

void body() {
    g_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    g_cr = cairo_create(g_surface);
    g_context = draw_begin(g_cr, kWidth, kHeight);
    routine_bind("bench-draw-face", "[face [object!] cmds [block!]]", bench_draw_face);
    if (!bench::run_script(kSetup)) {
        std::printf("setup failed\n");
        return;
    }
    bench::run_script("write-stdout rejoin [\"console \" system/console/size \", rows of \" "
                      "t/line-h \" px, font \" c/font/name \" \" c/font/size \"^/\"]");
    scenario(1, "1 MB printed", 10000, "t/vprint megabyte true");
    scenario(2, "1 MB line by prin", 10000, "loop 16 [t/vprint piece false]");
    scenario(3, "100,000 prints", 10000, "repeat i 100000 [t/vprint \"a printed line\" true]");
    scenario(4, "100,000 prints, buffer 100k", 100000,
             "repeat i 100000 [t/vprint \"a printed line\" true]");
    scenario(5, "100,000 lines in one print", 10000,
             "t/vprint append/dup make string! 1500000 \"a printed line^/\" 100000 true");
    draw_end(g_context);
    cairo_destroy(g_cr);
    cairo_surface_destroy(g_surface);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_paints = std::max(1, std::atoi(argv[1]));
    if (argc > 2) g_only = std::atoi(argv[2]);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    run_program(argc, argv, body);
}
