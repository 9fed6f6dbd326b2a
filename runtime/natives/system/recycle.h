// recycle [/on /off]: runs a collection and answers the memory still in use,
// or switches collection on or off.
#pragma once
#include <cstdint>

namespace xel {

uint32_t natives_recycle(int check, const int32_t* refs);

} // namespace xel
