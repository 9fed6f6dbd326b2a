// construct: an object from a spec block that is not evaluated.
#include "runtime/datatypes/object/object.h"
#include "runtime/natives/binding/word-natives.h"
#include "runtime/natives/native-call.h"

namespace xel {

uint32_t natives_construct(int, const int32_t* refs) {
    Cell spec = *stack_arguments();
    const Cell* with = ref_arg(refs[0]);
    Cell proto = with ? *with : Cell{};
    object_construct(&spec, with ? &proto : nullptr, ref_present(refs[1]));
    return 0;
}

} // namespace xel
