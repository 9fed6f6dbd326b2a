#include "runtime/datatypes/issue/issue-cell.h"

#include "runtime/datatypes/context/context.h"
#include "runtime/symbols/symbols.h"

namespace xel {

void issue_make_at_symbol(Cell* c, uint32_t symbol) {
    *c = Cell{T_ISSUE, g_global_context, symbol, 0xFFFFFFFFu};
}

void issue_make_at(Cell* c, const char* name) {
    issue_make_at_symbol(c, symbol_make(name));
}

} // namespace xel
