#include "runtime/datatypes/constants.h"

namespace xel {

Cell g_unset_cell{T_UNSET, 0, 0, 0};
Cell g_none_cell{T_NONE, 0, 0, 0};
Cell g_true_cell{T_LOGIC, 1, 0, 0};
Cell g_false_cell{T_LOGIC, 0, 0, 0};

} // namespace xel
