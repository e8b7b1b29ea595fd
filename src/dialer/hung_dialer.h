// When to end a dialer whose main window has stopped taking messages.
#pragma once

#include <cstdint>

namespace zemvar {

// What "RestartHung" under [Setup] means, for the settings to apply as they read it: after how many hung
// checks in a row the dialer is ended. 0 or negative: never (0). 1 counts as 2: one hung check is never enough.
int RestartHungChecks(int stored);

constexpr std::uint64_t kRestartSpacingMs = 10ull * 60 * 1000;

// The ends of the dialer, for whatever reason: at most one tried in kRestartSpacingMs, so that no two
// reasons together restart it faster than either alone.
class EndSpacing {
 public:
  bool Allows(std::uint64_t nowMs) const { return !tried_ || nowMs - lastTryMs_ >= kRestartSpacingMs; }
  void Ended(std::uint64_t nowMs) {
    tried_ = true;
    lastTryMs_ = nowMs;
  }

 private:
  bool tried_ = false;  // so that the first end needs no spacing, however small the tick
  std::uint64_t lastTryMs_ = 0;
};

// Across checks, on the check's thread (checks never overlap): counts the checks in a row that found the
// dialer hung and says when one should end it.
class HungDialerWatch {
 public:
  // restartAfter as RestartHungChecks gives it; 0: never end.
  explicit HungDialerWatch(EndSpacing& ends, int restartAfter = 0) : ends_(ends), restartAfter_(restartAfter) {}
  void SetRestartAfter(int restartAfter) { restartAfter_ = restartAfter; }
  // One check's finding (hung at its start and at its end); nowMs a monotonic millisecond tick. A check that
  // did not find it hung resets the count. True when this check should end the dialer now: ending is on,
  // the count has reached restartAfter, and the spacing allows an end.
  // A count that reached restartAfter while an end was held back still ends at the first hung check after
  // the spacing: the dialer has been hung for that many checks, there is no need to see it again.
  bool Observe(bool hung, std::uint64_t nowMs);
  // An end was tried at nowMs, whether or not it worked: the count starts again and so does the spacing.
  void Ended(std::uint64_t nowMs);
  int hungChecks() const { return hungChecks_; }

 private:
  EndSpacing& ends_;
  int restartAfter_ = 0;
  int hungChecks_ = 0;
};

}  // namespace zemvar
