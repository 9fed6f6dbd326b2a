// The draw dialect's walk, inside gui/backend: the cursor over a command
// block, the argument readers every command shares, and the command groups
// (pens, line style, shapes, images, text) in their own files.
#pragma once
#include <cstdint>

#include "gui/backend/draw-context.h"
#include "platform/gfx/gfx-path.h"
#include "runtime/cell.h"

namespace xel::draw {

// The block being walked and the cell at hand; p moves past what a command
// consumes. Cells are read in place: nothing in a walk allocates series
// memory until an error is raised.
struct Cursor {
    Cell block;
    Cell* p;
    Cell* tail;
    bool more() const { return p < tail; }
};

struct Walk {
    DrawContext* ctx;
    bool catch_flag;
};

// Words of the dialect, by canonical symbol.
enum class Kw : uint8_t {
    kNone,
    // commands
    kPen,
    kFillPen,
    kBox,
    kLine,
    kLineWidth,
    kLineJoin,
    kLineCap,
    kLinePattern,
    kTriangle,
    kPolygon,
    kCircle,
    kEllipse,
    kAntiAlias,
    kFont,
    kText,
    kArc,
    kCurve,
    kSpline,
    kImage,
    kShadow,
    kClip,
    kShape,
    kRotate,
    kScale,
    kTranslate,
    kSkew,
    kTransform,
    kPush,
    kMatrix,
    kResetMatrix,
    kInvertMatrix,
    // argument words
    kOff,
    kClosed,
    kMiter,
    kBevel,
    kRound,
    kMiterBevel,
    kFlat,
    kSquare,
    kLinear,
    kRadial,
    kDiamond,
    kPad,
    kRepeat,
    kReflect,
    kPattern,
    kBitmap,
    kTile,
    kFlipX,
    kFlipY,
    kFlipXY,
    kClamp,
    kBorder,
    kCrop,
    kInset,
    kReplace,
    kIntersect,
    kUnion,
    kXor,
    kExclude,
    // shape commands
    kMove,
    kHline,
    kVline,
    kCurv,
    kQcurve,
    kQcurv,
    kClose,
    kSweep,
    kLarge,
    kCount
};

// Makes the symbols of the dialect's words; called once at start, before any
// walk (making a symbol may allocate).
void keywords_init();
// The keyword a word! or lit-word! names, kNone for anything else.
Kw keyword(const Cell* value);

// Raises script draw-invalid with the walked block positioned at the cell.
[[noreturn]] void invalid_at(const Cursor& c, const Cell* at);
[[noreturn]] void invalid_here(const Cursor& c);

bool is_point(const Cell* v);
gfx::Point point_of(const Cell* v);
bool is_number(const Cell* v);
double number_of(const Cell* v);
// integer!, float! or percent! (its fraction).
bool is_scale(const Cell* v);
// The tuple a colour cell stands for (itself, or a word's value), or null.
const Cell* colour_cell(const Cell* v);
gfx::Rgba colour_of(const Cell* colour);
// The image! a cell stands for (itself, or a word's value), or null.
const Cell* image_cell(const Cell* v);

// Required arguments: the next cell, advancing; draw-invalid when missing
// or of the wrong kind.
gfx::Point need_point(Cursor& c);
double need_number(Cursor& c);
// A set-word in a draw or shape block gets the block positioned at its own
// cell; the cursor steps past it.
void take_set_word(Cursor& c);

// Walks a command block with the state as it is.
void walk(Walk& w, const Cell* block);
// Walks a block with the state saved before and restored after.
void walk_saved(Walk& w, const Cell* block);

// Command groups; each starts with c.p at the command word.
void command_pen(Walk& w, Cursor& c, bool fill);
void command_line_style(Walk& w, Cursor& c, Kw which);
void command_shape_block(Walk& w, Cursor& c, const Cell* block, bool for_clip);
void command_image(Walk& w, Cursor& c);
void command_font(Walk& w, Cursor& c);
void command_text(Walk& w, Cursor& c);

// A face's own painting before its draw block: its colour, its image
// stretched over it, and (unless it is a window) its text.
void face_background(DrawContext& ctx, const Cell* face);

} // namespace xel::draw
