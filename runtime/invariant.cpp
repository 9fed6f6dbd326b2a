#include "runtime/invariant.h"

#include <cstdio>
#include <cstdlib>

namespace xel {

void invariant_failed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

} // namespace xel
