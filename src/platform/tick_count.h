// A 32-bit millisecond count, which wraps every 49.7 days, widened to 64 bits for callers on any thread.
#pragma once

#include <atomic>
#include <cstdint>

namespace zemvar {

// Returns the 64-bit count for `now`, a fresh reading of the 32-bit count, given `last`, the widest
// count handed out so far. A reading a little behind `last` comes from a thread that read the clock
// before another one handed out a later count: it gets `last`, not a wrap. Any other step back is the
// count wrapping. Callers must ask more often than every 49 days.
inline std::uint64_t WidenTickCount(std::atomic<std::uint64_t>& last, std::uint32_t now) {
  constexpr std::uint32_t kLateReading = 60000;
  std::uint64_t seen = last.load();
  for (;;) {
    const std::uint32_t behind = static_cast<std::uint32_t>(seen) - now;
    if (seen != 0 && behind != 0 && behind < kLateReading) return seen;
    const std::uint64_t next = seen == 0 ? now : seen + static_cast<std::uint32_t>(now - static_cast<std::uint32_t>(seen));
    if (last.compare_exchange_weak(seen, next)) return next;
  }
}

}  // namespace zemvar
