#pragma once
// TW_ASSERT(condition): an invariant of the interpreter, checked in Debug, sanitizer and fuzz builds (where
// the build defines TW_CHECK_INVARIANTS) and free in the others. A broken invariant is a fault of the program,
// never a script's mistake, so it stops the program at once, naming the place and the condition.

namespace tw {
[[noreturn]] void InvariantBroken(const char* condition, const char* file, int line) noexcept;
}  // namespace tw

#if defined(TW_CHECK_INVARIANTS)
#define TW_ASSERT(condition) \
  ((condition) ? static_cast<void>(0) : ::tw::InvariantBroken(#condition, __FILE__, __LINE__))
#else
// sizeof keeps the condition compiled (and its names used) without evaluating it.
#define TW_ASSERT(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))
#endif
