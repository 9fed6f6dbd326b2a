// point2D! and point3D!: two or three float32 coordinates. Both types share
// every action; the value's own type says how many coordinates it has. Every
// computation runs in double and is stored back as float32.
#pragma once
#include <cstdint>

#include "runtime/actions/action-slots.h"
#include "runtime/datatypes/point2d/point2d-cell.h"
#include "runtime/datatypes/point3d/point3d-cell.h"

namespace xel {

inline int point_size(uint8_t type) {
    return type == T_POINT3D ? 3 : 2;
}
// The coordinates of a point as doubles (z 0 for a point2D!).
inline void point_read(const Cell* c, double out[3]) {
    out[2] = 0.0;
    for (int i = 0; i < point_size(type_of(c)); i++)
        out[i] = point_coordinate(c, i);
}
// A point of the type from doubles, each stored as float32.
inline void point_make_at(Cell* c, uint8_t type, const double v[3]) {
    if (type == T_POINT3D)
        point3d_make_at(c, static_cast<float>(v[0]), static_cast<float>(v[1]),
                        static_cast<float>(v[2]));
    else
        point2d_make_at(c, static_cast<float>(v[0]), static_cast<float>(v[1]));
}

// The math body (ops 0-4 of number-math.h) of the frame's point and its
// operand; integer!, float! and pair! hand their mixed operations to it with
// the point first.
void point_do_math(int op);

// Actions of both types (typed ones as in action-slots.h; results in the
// frame's result slot). make and to: type is the target type.
Cell* point_make(Cell* proto, Cell* spec, int type);
Cell* point_random(Cell* value, bool seed, bool secure, bool only);
int point_form(Cell* value, Cell* buffer, Cell* arg, int part);
int point_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent);
Cell* point_eval_path(Cell* parent, Cell* element, Cell* value, Cell* path, Cell* gparent,
                      Cell* p_item, int index, bool case_, bool get, bool tail, bool notify);
Cell* point_pick(Cell* series, int index, Cell* boxed);
int point_compare(Cell* value1, Cell* value2, int op);
void point_absolute();
Cell* point_negate(Cell* value);
// Rounds each coordinate by float! round; a pair!, point2D! or point3D! scale
// gives one scale per coordinate (coordinates beyond the scale's own round
// without one).
Cell* point_round(Cell* value, Cell* scale, bool even, bool down, bool half_down, bool floor,
                  bool ceiling, bool half_ceiling);
Cell* point_reverse(Cell* series, Cell* part, Cell* skip);

// The scale of coordinate i in out: a pair!, point2D! or point3D! scale gives
// its own coordinate i (none beyond its coordinates), any other scale is
// itself; nullptr for none.
Cell* coordinate_scale(const Cell* scale, int i, Cell* out);

// The row both types register, and their math hand-over.
void point_fill_row(ActionList& row, uint8_t type);

} // namespace xel
