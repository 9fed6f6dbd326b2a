// platform/gfx: pixel conversion, gradient stops, clip modes and text
// layouts counted in UTF-16 units.
#include <gtest/gtest.h>

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gfx/gfx-brush.h"
#include "platform/gfx/gfx-clip.h"
#include "platform/gfx/gfx-surface.h"
#include "platform/gfx/gfx-text.h"
#include "tests/unit/case_names.h"

namespace xel::gfx {
namespace {

TEST(GfxSurface, OpaqueAndClearPixelsRoundTripExactly) {
    std::vector<uint32_t> pixels = {0xFF102030, 0x00000000, 0xFFFFFFFF, 0xFF000000};
    cairo_surface_t* s = surface_from_pixels(pixels.data(), 2, 2);
    ASSERT_NE(s, nullptr);
    std::vector<uint32_t> back(4);
    surface_to_pixels(s, back.data());
    cairo_surface_destroy(s);
    EXPECT_EQ(back, pixels);
}

TEST(GfxSurface, TranslucentPixelsComeBackWithinRounding) {
    for (uint32_t alpha : {1u, 64u, 128u, 254u}) {
        uint32_t pixel = alpha << 24 | 0xC08040;
        uint32_t back = unpremultiply(premultiply(pixel));
        EXPECT_EQ(back >> 24, alpha);
        for (int shift : {0, 8, 16}) {
            int a = static_cast<int>(pixel >> shift & 0xFF);
            int b = static_cast<int>(back >> shift & 0xFF);
            EXPECT_LE(std::abs(a - b), static_cast<int>(255 / alpha + 1)) << alpha;
        }
    }
}

struct StopCase {
    std::vector<double> offsets;
    std::vector<bool> given;
    std::vector<double> settled;
    const char* text;
};

class GfxStops : public ::testing::TestWithParam<StopCase> {};

TEST_P(GfxStops, SpreadsMissingOffsetsBetweenKnownOnes) {
    const StopCase& c = GetParam();
    std::vector<GradientStop> stops;
    for (double o : c.offsets)
        stops.push_back({o, Rgba{}});
    settle_stops(stops, c.given);
    ASSERT_EQ(stops.size(), c.settled.size());
    for (size_t i = 0; i < stops.size(); i++)
        EXPECT_NEAR(stops[i].offset, c.settled[i], 1e-12) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Table, GfxStops,
    ::testing::ValuesIn(std::vector<StopCase>{
        {{0, 0}, {false, false}, {0, 1}, "two without offsets"},
        {{0, 0, 0}, {false, false, false}, {0, 0.5, 1}, "three evenly"},
        {{0, 0.8, 0}, {false, true, false}, {0, 0.8, 1}, "middle given"},
        {{0.2, 0, 0, 0.8}, {true, false, false, true}, {0.2, 0.4, 0.6, 0.8}, "between given"},
        {{0.9, 0.1}, {true, true}, {0.9, 0.9}, "out of order kept monotonic"},
        {{-1, 2}, {true, true}, {0, 1}, "clamped"},
    }),
    xel_test::NamedBy<&StopCase::text>());

// The alpha of the mask made from two overlapping squares combined by mode,
// sampled inside the first only, inside both, inside the second only, and
// outside both.
struct ClipCase {
    ClipMode mode;
    uint8_t first_only, both, second_only, outside;
    const char* text;
};

class GfxClip : public ::testing::TestWithParam<ClipCase> {};

TEST_P(GfxClip, CombinesShapesByMode) {
    const ClipCase& c = GetParam();
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 30, 30);
    cairo_t* cr = cairo_create(target);
    cairo_rectangle(cr, 0, 0, 20, 20);
    ClipList list = clip_combine(cr, nullptr, ClipMode::kReplace);
    cairo_rectangle(cr, 10, 10, 20, 20);
    list = clip_combine(cr, list, c.mode);
    cairo_surface_t* mask = clip_mask(list, 30, 30);
    cairo_surface_flush(mask);
    auto alpha = [&](int x, int y) {
        return cairo_image_surface_get_data(mask)[y * cairo_image_surface_get_stride(mask) + x];
    };
    EXPECT_EQ(alpha(5, 5), c.first_only);
    EXPECT_EQ(alpha(15, 15), c.both);
    EXPECT_EQ(alpha(25, 25), c.second_only);
    EXPECT_EQ(alpha(25, 5), c.outside);
    cairo_surface_destroy(mask);
    cairo_destroy(cr);
    cairo_surface_destroy(target);
}

INSTANTIATE_TEST_SUITE_P(Table, GfxClip,
                         ::testing::ValuesIn(std::vector<ClipCase>{
                             {ClipMode::kReplace, 0, 255, 255, 0, "replace"},
                             {ClipMode::kIntersect, 0, 255, 0, 0, "intersect"},
                             {ClipMode::kUnion, 255, 255, 255, 0, "union"},
                             {ClipMode::kXor, 255, 0, 255, 0, "xor"},
                             {ClipMode::kExclude, 255, 0, 0, 0, "exclude"},
                         }),
                         xel_test::NamedBy<&ClipCase::text>());

TEST(GfxClip, NeedsAMaskOnlyForUnionAndXor) {
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
    cairo_t* cr = cairo_create(target);
    cairo_rectangle(cr, 0, 0, 2, 2);
    ClipList list = clip_combine(cr, nullptr, ClipMode::kIntersect);
    cairo_rectangle(cr, 1, 1, 2, 2);
    EXPECT_FALSE(clip_needs_mask(clip_combine(cr, list, ClipMode::kExclude)));
    cairo_rectangle(cr, 1, 1, 2, 2);
    EXPECT_TRUE(clip_needs_mask(clip_combine(cr, list, ClipMode::kXor)));
    cairo_destroy(cr);
    cairo_surface_destroy(target);
}

TEST(GfxText, IndexesCountUtf16UnitsAndCodePoints) {
    // a, e with acute (2 bytes), a grinning face (4 bytes, a surrogate pair), b
    TextLayout layout("a\xC3\xA9\xF0\x9F\x98\x80"
                      "b",
                      TextFormat{}, 0, 0);
    EXPECT_EQ(layout.utf16_length(), 5u);
    EXPECT_EQ(layout.char_length(), 4u);
    EXPECT_EQ(layout.utf16_of_char(2), 2u);
    EXPECT_EQ(layout.utf16_of_char(3), 4u);
    EXPECT_EQ(layout.utf16_of_char(9), 5u);
    EXPECT_EQ(layout.char_of_utf16(4), 3u);
    // Both units of the pair lead to the face's box; the next character is past it.
    EXPECT_EQ(layout.char_box(2).x, layout.char_box(3).x);
    EXPECT_LT(layout.char_box(3).x, layout.char_box(4).x);
}

TEST(GfxText, HitTestsAndLinesAgreeWithCharacterBoxes) {
    TextLayout layout("ab\ncd", TextFormat{}, 0, 0);
    EXPECT_EQ(layout.line_count(), 2);
    Box c = layout.char_box(3);
    EXPECT_EQ(c.x, 0);
    EXPECT_GT(c.y, 0);
    bool trailing = true;
    EXPECT_EQ(layout.hit_test(c.x + 1, c.y + 1, &trailing), 3u);
    EXPECT_FALSE(trailing);
    layout.hit_test(c.x + c.width - 1, c.y + 1, &trailing);
    EXPECT_TRUE(trailing);
    EXPECT_EQ(layout.line_height(0), layout.line_height(4));
    double w, h;
    layout.size(&w, &h);
    EXPECT_DOUBLE_EQ(h, 2 * layout.line_height(0));
}

TEST(GfxText, WrapsOnlyWhenAsked) {
    TextFormat wrap;
    wrap.wrap = true;
    TextFormat nowrap;
    const char* text = "one two three four five six";
    EXPECT_GT(TextLayout(text, wrap, 40, 0).line_count(), 2);
    EXPECT_EQ(TextLayout(text, nowrap, 40, 0).line_count(), 1);
}

TEST(GfxText, AsciiIndexesAreTheSameAsTheWiderTextsAtTheEdges) {
    TextLayout ascii("abc", TextFormat{}, 0, 0);
    TextLayout wide("ab\xC3\xA9", TextFormat{}, 0, 0);
    for (const TextLayout* l : {&ascii, &wide}) {
        EXPECT_EQ(l->utf16_length(), 3u);
        EXPECT_EQ(l->char_length(), 3u);
        EXPECT_EQ(l->utf16_of_char(7), 3u);
        EXPECT_EQ(l->char_of_utf16(3), 3u);
        EXPECT_EQ(l->char_of_utf16(7), 4u);
    }
}

// A word far longer than a line wraps at characters, every row but the last
// full, and the layout of the same text and format is laid out once.
TEST(GfxText, AHugeWordWrapsIntoFullRowsAndIsLaidOutOnce) {
    TextFormat wrap;
    wrap.wrap = true;
    wrap.font.family = "DejaVu Sans Mono";
    std::string word(200000, 'x');
    TextLayout a(word, wrap, 300, 0);
    a.share();
    bool trailing;
    int per_row = static_cast<int>(a.hit_test(0, a.line_height(0) * 1.5, &trailing));
    ASSERT_GT(per_row, 10);
    EXPECT_NEAR(a.line_count(), (200000 + per_row - 1) / per_row, 1);
    EXPECT_NEAR(a.char_box(199999).y, (a.line_count() - 1) * a.line_height(0), 1);
    TextLayout b(word, wrap, 300, 0);
    b.share();
    EXPECT_EQ(a.pango(), b.pango());
    TextLayout c(word, wrap, 301, 0);
    c.share();
    EXPECT_NE(a.pango(), c.pango());
    TextLayout d(word, wrap, 300, 0);
    d.set_bold(0, 1);
    d.share();
    EXPECT_NE(a.pango(), d.pango());
}

// A layout of many lines draws only the lines in the clip, with the pixels
// pango gives when it draws the whole layout.
TEST(GfxText, ALongLayoutDrawsTheSamePixelsAsPango) {
    std::string text;
    for (int i = 0; i < 300; i++)
        text += "line " + std::to_string(i) + "\n";
    TextLayout layout(text, TextFormat{}, 0, 0);
    ASSERT_GT(layout.line_count(), 100);
    auto render = [&](bool ours) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 120, 90);
        cairo_t* cr = cairo_create(s);
        cairo_rectangle(cr, 0, 30, 120, 40);
        cairo_clip(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        if (ours) {
            layout.draw(cr, 2, -1500.5);
        } else {
            cairo_move_to(cr, 2, -1500.5);
            pango_cairo_show_layout(cr, layout.pango());
        }
        cairo_surface_flush(s);
        const unsigned char* p = cairo_image_surface_get_data(s);
        std::vector<unsigned char> pixels(p, p + cairo_image_surface_get_stride(s) * 90);
        cairo_destroy(cr);
        cairo_surface_destroy(s);
        return pixels;
    };
    std::vector<unsigned char> ours = render(true);
    EXPECT_EQ(ours, render(false));
    EXPECT_NE(std::count(ours.begin(), ours.end(), 0), static_cast<long>(ours.size()));
}

TEST(GfxFont, DescriptionCarriesFamilySizeAndStyle) {
    FontSpec spec;
    spec.family = "DejaVu Sans Mono";
    spec.size = 14;
    spec.bold = true;
    spec.italic = true;
    PangoFontDescription* d = font_description(spec);
    EXPECT_STREQ(pango_font_description_get_family(d), "DejaVu Sans Mono");
    EXPECT_EQ(pango_font_description_get_size(d), 14 * PANGO_SCALE);
    EXPECT_EQ(pango_font_description_get_weight(d), PANGO_WEIGHT_BOLD);
    EXPECT_EQ(pango_font_description_get_style(d), PANGO_STYLE_ITALIC);
    pango_font_description_free(d);
    PangoFontDescription* dflt = font_description(FontSpec{});
    EXPECT_STREQ(pango_font_description_get_family(dflt), kDefaultFamily);
    pango_font_description_free(dflt);
}

} // namespace
} // namespace xel::gfx
