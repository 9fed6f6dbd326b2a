// XEL_ASSERT states an invariant the code relies on (a layout, a node's
// back-link, a type the caller promised). The sanitizer build checks it and
// stops at the first broken one with its place; release builds compile it
// away without evaluating the condition.
#pragma once

namespace xel {

[[noreturn]] void invariant_failed(const char* condition, const char* file, int line);

} // namespace xel

#ifdef XEL_CHECKED
#define XEL_ASSERT(condition)                                                                      \
    ((condition) ? static_cast<void>(0) : ::xel::invariant_failed(#condition, __FILE__, __LINE__))
#else
#define XEL_ASSERT(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))
#endif
