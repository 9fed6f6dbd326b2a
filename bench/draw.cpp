// Draws a scene of 10,000 mixed commands (fill pens, boxes, lines, circles
// and text runs) into an 800x600 image through the draw dialect, beside a
// baseline that makes the same cairo and pango calls straight onto a
// surface; prints the medians, the time per command and the ratio.
#include <algorithm>
#include <cairo.h>
#include <chrono>
#include <cstdio>
#include <pango/pangocairo.h>
#include <string>
#include <vector>

#include "bench/support/run-script.h"
#include "boot/entry.h"

using namespace xel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kGroups = 2000; // five commands each
constexpr int kRuns = 7;

struct Item {
    int r, g, b, x, y, w, h;
};

std::vector<Item> items() {
    std::vector<Item> v;
    uint32_t s = 12345;
    auto next = [&](uint32_t n) {
        s = s * 1664525u + 1013904223u;
        return static_cast<int>((s >> 8) % n);
    };
    for (int i = 0; i < kGroups; i++)
        v.push_back(
            {next(256), next(256), next(256), next(760), next(560), 4 + next(60), 4 + next(40)});
    return v;
}

std::string scene(const std::vector<Item>& v) {
    std::string out = "scene: [";
    char buf[256];
    for (const Item& it : v) {
        std::snprintf(buf, sizeof buf,
                      "fill-pen %d.%d.%d box %dx%d %dx%d line %dx%d %dx%d circle %dx%d %d "
                      "text %dx%d \"run\"\n",
                      it.r, it.g, it.b, it.x, it.y, it.x + it.w, it.y + it.h, it.x, it.y + it.h,
                      it.x + it.w, it.y, it.x + it.w / 2, it.y + it.h / 2, it.h / 2, it.x, it.y);
        out += buf;
    }
    return out + "] img: make image! 800x600";
}

void baseline(const std::vector<Item>& v) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 600);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* d = pango_font_description_from_string("DejaVu Sans 9");
    pango_layout_set_font_description(layout, d);
    pango_layout_set_text(layout, "run", -1);
    cairo_set_line_width(cr, 1);
    for (const Item& it : v) {
        cairo_rectangle(cr, it.x, it.y, it.w, it.h);
        cairo_set_source_rgb(cr, it.r / 255.0, it.g / 255.0, it.b / 255.0);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_stroke(cr);
        cairo_move_to(cr, it.x, it.y + it.h);
        cairo_line_to(cr, it.x + it.w, it.y);
        cairo_stroke(cr);
        cairo_arc(cr, it.x + it.w / 2, it.y + it.h / 2, it.h / 2, 0, 6.283185307179586);
        cairo_set_source_rgb(cr, it.r / 255.0, it.g / 255.0, it.b / 255.0);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_stroke(cr);
        cairo_move_to(cr, it.x, it.y);
        pango_cairo_show_layout(cr, layout);
    }
    pango_font_description_free(d);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
}

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

void body() {
    std::vector<Item> v = items();
    if (!bench::run_script(scene(v))) {
        std::printf("setup failed\n");
        return;
    }
    std::vector<double> a, b;
    for (int i = 0; i < kRuns; i++) {
        auto t0 = Clock::now();
        bool ok = bench::run_script("draw img scene");
        a.push_back(ms_since(t0));
        if (!ok) {
            std::printf("draw failed\n");
            return;
        }
        t0 = Clock::now();
        baseline(v);
        b.push_back(ms_since(t0));
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    double xel = a[kRuns / 2], c = b[kRuns / 2];
    int commands = kGroups * 5;
    std::printf("draw dialect    %8.1f ms  %6.2f us per command (%d commands, 800x600)\n", xel,
                xel * 1000 / commands, commands);
    std::printf("cairo baseline  %8.1f ms  %6.2f us per command\n", c, c * 1000 / commands);
    std::printf("ratio           %8.2f\n", xel / c);
}

} // namespace

int main(int argc, char** argv) {
    run_program(argc, argv, body);
}
