// The row fillers of the datatypes, one per type file, referenced by the
// registration table.
#pragma once
#include "runtime/datatypes/registration.h"

namespace xel {} // namespace xel
