#include "runtime/datatypes/integer/number-math.h"

namespace xel {

NumberHandovers g_number_handovers{};

} // namespace xel
