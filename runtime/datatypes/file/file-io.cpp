// file! read, write, delete, query and rename: the file services do the work.
#include "runtime/datatypes/constants.h"
#include "runtime/datatypes/file/file.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"
#include "services/simple-io/file-services.h"

namespace xel {

namespace {

[[noreturn]] void not_done() {
    error_fire(kCatInternal, err::internal::kNotDone);
}

Cell* answer(Cell* scratch) {
    Cell result = *scratch;
    stack_pop(1);
    return stack_set_last(&result);
}

Cell* logic_answer(bool truth) {
    Cell result;
    set_logic(&result, truth);
    return stack_set_last(&result);
}

} // namespace

Cell* file_read(Cell* source, Cell* part, Cell* seek, bool binary, bool lines, bool, Cell* as) {
    if (as) not_done();
    Cell* out = stack_push_cell();
    set_none(out);
    simple_io_read(source, part, seek, binary, lines, out);
    return answer(out);
}

Cell* file_write(Cell* destination, Cell* data, bool binary, bool lines, bool, bool append,
                 Cell* part, Cell* seek, Cell* allow, Cell* as) {
    if (allow || as) not_done();
    simple_io_write(destination, data, part, seek, binary, append, lines);
    Cell result{T_UNSET, 0, 0, 0};
    return stack_set_last(&result);
}

Cell* file_delete(Cell* file) {
    return logic_answer(simple_io_delete(file));
}

Cell* file_rename(Cell* from, Cell* to) {
    return logic_answer(simple_io_rename(from, to));
}

Cell* file_query(Cell* file) {
    Cell* out = stack_push_cell();
    set_none(out);
    simple_io_query(file, out);
    return answer(out);
}

} // namespace xel
