// point3D! registers the actions it shares with point2D!.
#include "runtime/datatypes/point2d/point.h"
#include "runtime/datatypes/rows.h"

namespace xel {

void point3d_row(ActionList& row) {
    point_fill_row(row, T_POINT3D);
}

} // namespace xel
