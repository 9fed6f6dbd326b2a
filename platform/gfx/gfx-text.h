// Text formats and layouts over pango. Positions given to and answered by
// layouts count UTF-16 units from 0, as the run-time's text metrics do;
// pango's byte offsets into UTF-8 stay inside.
#pragma once
#include <cairo.h>
#include <pango/pango.h>
#include <string>
#include <vector>

namespace xel::gfx {

struct FontSpec {
    std::string family; // empty: the default family
    double size = 0;    // points; 0 or less: the default size
    bool bold = false, italic = false, underline = false, strike = false;
};

constexpr const char* kDefaultFamily = "DejaVu Sans";
constexpr double kDefaultSize = 9;

// A new pango description of the font; the caller frees it.
PangoFontDescription* font_description(const FontSpec& spec);

enum class Align : uint8_t { kLeft, kCenter, kRight };
enum class VAlign : uint8_t { kTop, kMiddle, kBottom };

struct TextFormat {
    FontSpec font;
    Align align = Align::kLeft;
    VAlign valign = VAlign::kTop;
    bool wrap = false;
    double tab_stop = 0; // 0: pango's default
};

struct Box {
    double x, y, width, height;
};

class TextLayout {
  public:
    // A layout of the UTF-8 text; a max width (and height, for vertical
    // alignment) of 0 or less means no limit.
    TextLayout(const std::string& utf8, const TextFormat& format, double max_width,
               double max_height);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    PangoLayout* pango() const { return layout_; }
    // Takes the laid-out twin of this layout from the recent layouts when one
    // has the same text, attributes and format, else keeps this one there, so
    // a text measured and drawn again is laid out once. Nothing may be set on
    // the layout afterwards.
    void share();
    size_t utf16_length() const { return ascii_ ? text_.size() : byte_at_.size() - 1; }
    // Code point index (0-based) to UTF-16 index and back; past the end
    // gives the length.
    size_t utf16_of_char(size_t index) const;
    size_t char_of_utf16(size_t index) const;
    size_t char_length() const { return ascii_ ? text_.size() : char_u16_.size() - 1; }

    // Attribute ranges in UTF-16 units.
    void set_colour(size_t start, size_t length, double r, double g, double b, double a);
    void set_bold(size_t start, size_t length);
    void set_italic(size_t start, size_t length);
    void set_underline(size_t start, size_t length);
    void set_strike(size_t start, size_t length);
    void set_family(size_t start, size_t length, const std::string& family);
    void set_size(size_t start, size_t length, double points);
    void set_background(size_t start, size_t length, double r, double g, double b, double a);

    // The box of the character at a UTF-16 index (the end: a caret box of
    // width 0 after the last character).
    Box char_box(size_t index) const;
    // The UTF-16 index of the character at a point, and whether the point is
    // on its trailing half.
    size_t hit_test(double x, double y, bool* trailing) const;
    int line_count() const;
    // The height of the line that holds a UTF-16 index (the last line's past
    // the text).
    double line_height(size_t index) const;
    // The layout's logical width and height.
    void size(double* width, double* height) const;

    // Draws at (x, y) with cr's current source for uncoloured text.
    void draw(cairo_t* cr, double x, double y) const;

  private:
    void apply(PangoAttribute* attr, size_t start, size_t length);
    size_t byte_of(size_t index) const;
    size_t index_of_byte(size_t byte) const;
    void split_items();
    // The offsets that align the layout in its box, from its laid-out size.
    void place() const;

    PangoLayout* layout_;
    PangoAttrList* attrs_;
    std::string text_;
    bool ascii_;
    std::vector<size_t> byte_at_;  // UTF-16 index -> byte offset, one past the end too
    std::vector<size_t> char_u16_; // code point index -> UTF-16 index, one past the end too
    double max_width_, max_height_;
    TextFormat format_;
    bool shared_ = false;
    mutable bool placed_ = false;
    mutable double top_ = 0;
    mutable double left_ = 0;
};

} // namespace xel::gfx
