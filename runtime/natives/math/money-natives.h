// as-money: the constructor of money! from a currency word and an amount.
#pragma once
#include <cstdint>

namespace xel {

// [currency [word!] amount [integer! float!]]: the amount in the currency;
// script bad-denom with the word when the currency list lacks it.
uint32_t natives_as_money(int check, const int32_t* refs);

} // namespace xel
