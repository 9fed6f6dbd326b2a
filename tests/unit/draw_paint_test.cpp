// The drawing entries the window layer calls: a window paint gives the
// pixels draw gives an image, errors of a paint are printed and go no
// further, faces paint their colour, image and text, para bits by face type.
#include <gtest/gtest.h>

#include <cairo.h>
#include <cstdlib>
#include <string>
#include <vector>

#include "boot/boot-load.h"
#include "gui/backend/draw-paint.h"
#include "gui/backend/font-native.h"
#include "gui/backend/font-requester.h"
#include "runtime/datatypes/image/bitmap.h"
#include "runtime/datatypes/image/image-cell.h"
#include "runtime/datatypes/scalar/logic.h"
#include "runtime/interpreter/interp.h"
#include "runtime/lexer/lexer.h"
#include "tests/unit/case_names.h"
#include "tests/unit/evaluator_test_support.h"
#include "tests/unit/runtime_test_support.h"

using namespace xel;
using namespace xel::test;

namespace {

class DrawPaint : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_runtime();
        boot_run_top_level();
    }

    void eval(const std::string& code) {
        uint32_t caught = under_try([&] {
            Cell source = *string_load(reinterpret_cast<const uint8_t*>(code.data()),
                                       static_cast<uint32_t>(code.size()), 0);
            Cell block;
            lexer_load_string(&block, &source, -1, kScanLoad | kScanOutput, nullptr, nullptr,
                              nullptr);
            stack_reset();
            EXPECT_FALSE(interp_eval_block(&block, true).exit_pending()) << code;
        });
        EXPECT_EQ(caught, 0u) << code;
    }

    Cell value(const char* name) {
        Cell w = word(name);
        return *context_get(&w);
    }

    // A white surface of w x h.
    static cairo_surface_t* canvas(int w, int h) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cairo_t* cr = cairo_create(s);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_destroy(cr);
        return s;
    }

    static uint32_t pixel(cairo_surface_t* s, int x, int y) {
        cairo_surface_flush(s);
        return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) +
                                                 y * cairo_image_surface_get_stride(s))[x];
    }
};

TEST_F(DrawPaint, AWindowPaintGivesThePixelsDrawGivesAnImage) {
    eval("cmds: [pen 0.0.255 fill-pen linear 255.0.0 0.255.0 circle 10x10 7 "
         "line-width 3 line 0x0 20x20 clip 0x0 10x20 [fill-pen 0.0.0 box 4x4 16x16]] "
         "img: draw 20x20 cmds");
    Cell img = value("img");
    Cell cmds = value("cmds");
    // The face sits at 5x3 in its window.
    cairo_surface_t* s = canvas(30, 30);
    cairo_t* cr = cairo_create(s);
    cairo_translate(cr, 5, 3);
    draw_paint(cr, 20, 20, &cmds);
    cairo_destroy(cr);
    // Anti-aliased edges may round a little differently at another device offset.
    const uint32_t* px = bitmap_pixels(image_record(&img));
    int differ = 0;
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 20; x++)
            for (int shift = 0; shift < 32; shift += 8) {
                int a = static_cast<int>(pixel(s, x + 5, y + 3) >> shift & 0xFF);
                int b = static_cast<int>(px[y * 20 + x] >> shift & 0xFF);
                if (std::abs(a - b) > 8) differ++;
            }
    EXPECT_EQ(differ, 0);
    // Nothing outside the face's place was touched by its clip's mask.
    EXPECT_EQ(pixel(s, 2, 1), 0xFFFFFFFFu);
    cairo_surface_destroy(s);
}

TEST_F(DrawPaint, AnErrorOfAPaintIsPrintedAndThePaintGoesOn) {
    eval("cmds: [pen off fill-pen 255.0.0 box 0x0 5x5 box 1x1]");
    Cell cmds = value("cmds");
    cairo_surface_t* s = canvas(10, 10);
    cairo_t* cr = cairo_create(s);
    Cell* top = g_stack_top;
    testing::internal::CaptureStdout();
    draw_paint(cr, 10, 10, &cmds);
    std::string printed = testing::internal::GetCapturedStdout();
    cairo_destroy(cr);
    EXPECT_NE(printed.find("DRAW - invalid input at:"), std::string::npos) << printed;
    EXPECT_EQ(g_stack_top, top);
    EXPECT_EQ(pixel(s, 2, 2), 0xFFFF0000u);
    cairo_surface_destroy(s);
}

TEST_F(DrawPaint, TheDrawingEventBracketKeepsItsStateAcrossCommandBlocks) {
    eval("a: [pen off fill-pen 0.0.255 translate 10x0] b: [box 0x0 5x5 box] c: [box 0x0 5x5]");
    Cell a = value("a"), b = value("b"), c = value("c");
    cairo_surface_t* s = canvas(20, 10);
    cairo_t* cr = cairo_create(s);
    draw::DrawContext* ctx = draw_begin(cr, 20, 10);
    draw_face_commands(ctx, &a);
    testing::internal::CaptureStdout();
    draw_face_commands(ctx, &b);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    draw_face_commands(ctx, &c);
    draw_end(ctx);
    cairo_destroy(cr);
    EXPECT_EQ(pixel(s, 12, 2), 0xFF0000FFu);
    EXPECT_EQ(pixel(s, 2, 2), 0xFFFFFFFFu);
    cairo_surface_destroy(s);
}

TEST_F(DrawPaint, AFacePaintsItsColourImageAndTextUnderItsDrawBlock) {
    eval("pic: make image! [2x1 #{00FF000000FF}] "
         "f: make object! [type: 'base text: \"Hello\" color: 0.0.255 image: none "
         "font: make object! [name: \"DejaVu Sans\" size: 12 color: 255.255.255] para: none "
         "draw: [pen off fill-pen 255.0.0 box 0x0 4x4]] "
         "g: make object! [type: 'base text: none color: none image: pic font: none para: none "
         "draw: none] "
         "w: make object! [type: 'window text: \"Title\" color: 0.0.255 image: none font: none "
         "para: none draw: none]");
    Cell f = value("f"), g = value("g"), w = value("w");
    cairo_surface_t* s = canvas(60, 30);
    cairo_t* cr = cairo_create(s);
    draw_paint_face(cr, 60, 30, &f);
    cairo_destroy(cr);
    EXPECT_EQ(pixel(s, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(pixel(s, 58, 1), 0xFF0000FFu);
    // The text is centred both ways: white ink near the middle, none at the sides.
    int middle = 0, sides = 0;
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 60; x++) {
            bool ink = (pixel(s, x, y) & 0xFF0000) != 0 && (pixel(s, x, y) & 0xFF) != 0;
            (x >= 10 && x < 50 ? middle : sides) += ink;
        }
    EXPECT_GT(middle, 20);
    EXPECT_EQ(sides, 0);
    cairo_surface_destroy(s);

    s = canvas(4, 2);
    cr = cairo_create(s);
    draw_paint_face(cr, 4, 2, &g);
    cairo_destroy(cr);
    EXPECT_EQ(pixel(s, 0, 0), 0xFF00FF00u);
    EXPECT_EQ(pixel(s, 3, 1), 0xFF0000FFu);
    cairo_surface_destroy(s);

    // A window shows no text of its own.
    s = canvas(60, 30);
    cr = cairo_create(s);
    draw_paint_face(cr, 60, 30, &w);
    cairo_destroy(cr);
    int other = 0;
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 60; x++)
            other += pixel(s, x, y) != 0xFF0000FFu;
    EXPECT_EQ(other, 0);
    cairo_surface_destroy(s);
}

TEST_F(DrawPaint, TextSizeGrowsWithTheTextAndWrapsInTheFaceWidth) {
    eval("f: make object! [type: 'base text: \"ab\" size: 60x20 font: none para: none] "
         "n: make object! [type: 'base text: none size: 60x20 font: none para: none] "
         "long: \"one two three four five six seven\"");
    Cell f = value("f"), n = value("n"), text = value("long");
    double w1, h1, w2, h2;
    ASSERT_TRUE(draw_text_size(&f, nullptr, true, &w1, &h1));
    ASSERT_TRUE(draw_text_size(&f, &text, true, &w2, &h2));
    EXPECT_GT(h2, 2 * h1);
    EXPECT_LE(w2, 60);
    EXPECT_FALSE(draw_text_size(&n, nullptr, true, &w1, &h1));
}

TEST_F(DrawPaint, FontObjectsBecomePangoDescriptions) {
    eval("f: make object! [name: \"DejaVu Serif\" size: 15 style: [bold italic] color: none]");
    Cell f = value("f");
    PangoFontDescription* d = font_description_of(&f);
    EXPECT_STREQ(pango_font_description_get_family(d), "DejaVu Serif");
    EXPECT_EQ(pango_font_description_get_size(d), 15 * PANGO_SCALE);
    EXPECT_EQ(pango_font_description_get_weight(d), PANGO_WEIGHT_BOLD);
    EXPECT_EQ(pango_font_description_get_style(d), PANGO_STYLE_ITALIC);
    pango_font_description_free(d);
}

TEST_F(DrawPaint, AChosenFontSetsNameSizeAndStyle) {
    eval("f: make object! [name: none size: none style: 'keep] "
         "g: make object! [name: none size: none style: 'keep]");
    Cell f = value("f"), g = value("g");
    PangoFontDescription* d = pango_font_description_from_string("DejaVu Serif Bold Italic 13");
    draw::font_fill_from_description(&f, d);
    pango_font_description_free(d);
    d = pango_font_description_from_string("DejaVu Sans 10");
    draw::font_fill_from_description(&g, d);
    pango_font_description_free(d);
    eval("ok: all [f/name = \"DejaVu Serif\" f/size = 13 f/style = [bold italic] "
         "g/name = \"DejaVu Sans\" g/size = 10 g/style = 'keep]");
    Cell ok = value("ok");
    EXPECT_EQ(type_of(&ok), T_LOGIC);
    EXPECT_TRUE(logic_get(&ok));
}

TEST_F(DrawPaint, TheFontRequesterAnswersNothingWithoutADisplay) {
    std::string display = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    std::string wayland = getenv("WAYLAND_DISPLAY") ? getenv("WAYLAND_DISPLAY") : "";
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    eval("f: make object! [name: none size: none style: none]");
    Cell f = value("f");
    EXPECT_FALSE(draw::font_request(&f, nullptr, true));
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    if (!wayland.empty()) setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
}

struct ParaCase {
    const char* type;
    const char* para;
    uint32_t bits;
    const char* text;
};

class ParaBits : public DrawPaint, public ::testing::WithParamInterface<ParaCase> {};

TEST_P(ParaBits, FollowTheFaceTypesTable) {
    const ParaCase& c = GetParam();
    eval(std::string("t: '") + c.type + " p: " + c.para);
    Cell t = value("t"), p = value("p");
    EXPECT_EQ(draw::para_style_bits(&t, &p), c.bits);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParaBits,
    ::testing::ValuesIn(std::vector<ParaCase>{
        {"button", "make object! [align: 'right v-align: 'bottom wrap?: none]", 0xA00,
         "button right bottom"},
        {"button", "none", 0x300 | 0xC00, "button defaults"},
        {"check", "none", 0x100 | 0xC00, "check defaults"},
        {"text", "make object! [align: 'right v-align: 'bottom wrap?: none]", 2,
         "text right bottom"},
        {"text", "make object! [align: 'left v-align: 'top wrap?: false]", 0x4000, "text no wrap"},
        {"field", "make object! [align: 'center v-align: 'middle wrap?: false]", 1 | 0x200 | 0xC0,
         "field centre no wrap"},
        {"base", "none", 1 | 4 | 16, "base defaults"},
        {"rich-text", "make object! [align: 'odd v-align: 'bottom wrap?: false]", 8,
         "rich-text bottom no wrap"},
        {"panel", "make object! [align: 'right v-align: 'bottom wrap?: none]", 0, "other types"},
    }),
    xel_test::NamedBy<&ParaCase::text>());

} // namespace
