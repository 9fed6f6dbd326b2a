// Clip regions combined by mode. Cairo clips only by intersection, so the
// clip is kept as the list of its shapes (paths in device space) with their
// modes: without union or xor it is applied as cairo clips (exclude as the
// even-odd complement), with either it becomes an alpha mask that drawing
// goes through.
#pragma once
#include <cairo.h>
#include <memory>
#include <vector>

namespace xel::gfx {

enum class ClipMode : uint8_t { kReplace, kIntersect, kUnion, kXor, kExclude };

struct ClipShape {
    std::shared_ptr<cairo_path_t> path; // device space
    ClipMode mode;
};

using ClipList = std::shared_ptr<const std::vector<ClipShape>>;

// The list after combining the path now built in cr (user space) by mode;
// the path is consumed.
ClipList clip_combine(cairo_t* cr, const ClipList& current, ClipMode mode);
// Whether the list needs a mask (holds union or xor).
bool clip_needs_mask(const ClipList& list);
// Applies a list that needs no mask as cairo clips over cr's current clip.
void clip_apply(cairo_t* cr, const ClipList& list);
// The list as an alpha mask of width x height device pixels.
cairo_surface_t* clip_mask(const ClipList& list, int width, int height);

} // namespace xel::gfx
