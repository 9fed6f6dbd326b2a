#include "runtime/natives/math/money-natives.h"

#include "runtime/datatypes/integer/integer.h"
#include "runtime/datatypes/money/money-cell.h"
#include "runtime/datatypes/word/word.h"
#include "runtime/error-fire.h"
#include "runtime/stack/stack.h"

namespace xel {

uint32_t natives_as_money(int, const int32_t*) {
    Cell* args = stack_arguments();
    Cell currency = args[0];
    Cell amount = args[1];
    int index = money_currency_index(word_symbol(&currency));
    if (index < 1 || index > 255) error_fire(kCatScript, err::script::kBadDenom, &currency);
    if (type_of(&amount) == T_INTEGER)
        money_from_integer(args, integer_get(&amount));
    else
        money_from_float(args, cell_double(&amount));
    money_set_currency(args, static_cast<uint8_t>(index));
    return 0;
}

} // namespace xel
