// The run-time's one pseudo-random generator (MT19937, shared by every random
// action) and a secure source for the actions' /secure refinement.
#pragma once
#include <cstdint>

namespace xel {

// Seeds the generator with 19650218; run once at start-up.
void random_init();
// Re-initialises the generator's state from seed.
void random_seed(uint32_t seed);
// The next value of the generator, 0 to 2^31 - 1.
uint32_t random_next();
// A value of the platform's cryptographic generator, 0 to 2^31 - 1.
uint32_t random_next_secure();
// For n above 0 a uniform integer in 1 to n; for n below 0 one in n to -1;
// 0 for n = 0. Drawn from the secure source when secure is set.
int32_t random_int(int32_t n, bool secure);

} // namespace xel
