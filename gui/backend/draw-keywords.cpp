// The dialect's words, found by canonical symbol in a table made at start.
#include <vector>

#include "gui/backend/draw-walk.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/symbols/symbols.h"

namespace xel::draw {

namespace {

std::vector<Kw> g_keywords;

const struct {
    const char* name;
    Kw kw;
} kWords[] = {
    {"pen", Kw::kPen},
    {"fill-pen", Kw::kFillPen},
    {"box", Kw::kBox},
    {"line", Kw::kLine},
    {"line-width", Kw::kLineWidth},
    {"line-join", Kw::kLineJoin},
    {"line-cap", Kw::kLineCap},
    {"line-pattern", Kw::kLinePattern},
    {"triangle", Kw::kTriangle},
    {"polygon", Kw::kPolygon},
    {"circle", Kw::kCircle},
    {"ellipse", Kw::kEllipse},
    {"anti-alias", Kw::kAntiAlias},
    {"font", Kw::kFont},
    {"text", Kw::kText},
    {"arc", Kw::kArc},
    {"curve", Kw::kCurve},
    {"spline", Kw::kSpline},
    {"image", Kw::kImage},
    {"shadow", Kw::kShadow},
    {"clip", Kw::kClip},
    {"shape", Kw::kShape},
    {"rotate", Kw::kRotate},
    {"scale", Kw::kScale},
    {"translate", Kw::kTranslate},
    {"skew", Kw::kSkew},
    {"transform", Kw::kTransform},
    {"push", Kw::kPush},
    {"matrix", Kw::kMatrix},
    {"reset-matrix", Kw::kResetMatrix},
    {"invert-matrix", Kw::kInvertMatrix},
    {"off", Kw::kOff},
    {"closed", Kw::kClosed},
    {"miter", Kw::kMiter},
    {"bevel", Kw::kBevel},
    {"round", Kw::kRound},
    {"miter-bevel", Kw::kMiterBevel},
    {"flat", Kw::kFlat},
    {"square", Kw::kSquare},
    {"linear", Kw::kLinear},
    {"radial", Kw::kRadial},
    {"diamond", Kw::kDiamond},
    {"pad", Kw::kPad},
    {"repeat", Kw::kRepeat},
    {"reflect", Kw::kReflect},
    {"pattern", Kw::kPattern},
    {"bitmap", Kw::kBitmap},
    {"tile", Kw::kTile},
    {"flip-x", Kw::kFlipX},
    {"flip-y", Kw::kFlipY},
    {"flip-xy", Kw::kFlipXY},
    {"clamp", Kw::kClamp},
    {"border", Kw::kBorder},
    {"crop", Kw::kCrop},
    {"inset", Kw::kInset},
    {"replace", Kw::kReplace},
    {"intersect", Kw::kIntersect},
    {"union", Kw::kUnion},
    {"xor", Kw::kXor},
    {"exclude", Kw::kExclude},
    {"move", Kw::kMove},
    {"hline", Kw::kHline},
    {"vline", Kw::kVline},
    {"curv", Kw::kCurv},
    {"qcurve", Kw::kQcurve},
    {"qcurv", Kw::kQcurv},
    {"close", Kw::kClose},
    {"sweep", Kw::kSweep},
    {"large", Kw::kLarge},
};

} // namespace

void keywords_init() {
    g_keywords.clear();
    for (const auto& w : kWords) {
        uint32_t id = symbol_resolve(symbol_make(w.name));
        if (id >= g_keywords.size()) g_keywords.resize(id + 1, Kw::kNone);
        g_keywords[id] = w.kw;
    }
}

Kw keyword(const Cell* value) {
    if (type_of(value) != T_WORD && type_of(value) != T_LIT_WORD) return Kw::kNone;
    uint32_t id = symbol_resolve(word_symbol(value));
    return id < g_keywords.size() ? g_keywords[id] : Kw::kNone;
}

} // namespace xel::draw
