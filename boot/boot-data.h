// The boot data the program carries: XELBIN written at build time by the
// host tool (boot/host/) from the environment's Xel sources.
#pragma once
#include <cstddef>
#include <cstdint>

namespace xel {

// The blob and its size; nullptr in the host tool, which makes it.
const uint8_t* boot_data(size_t* size);

} // namespace xel
