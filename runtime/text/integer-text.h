#pragma once

#include <cstdint>

namespace xel {

// Decimal text of v in a buffer shared by all callers; copy it before the next call.
const char* integer_to_text(int32_t v);

} // namespace xel
