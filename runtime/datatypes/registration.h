// Registers every datatype in its fixed order (parents before children).
#pragma once
#include "runtime/actions/action-slots.h"

namespace xel {

// Fills the action row of one type; the list already holds id, parent and name.
using RowFiller = void (*)(ActionList& row);

void register_datatypes();

} // namespace xel
