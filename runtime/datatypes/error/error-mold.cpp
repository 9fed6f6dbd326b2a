#include "runtime/datatypes/error/error.h"
#include "runtime/datatypes/object/object.h"

namespace xel {

int error_mold(Cell* value, Cell* buffer, bool only, bool all, bool flat, Cell* arg, int part,
               int indent) {
    return object_mold_as("make error! [", value, buffer, only, all, flat, arg, part, indent);
}

} // namespace xel
