#include "dialer/hung_dialer.h"

#include <climits>

namespace zemvar {

int RestartHungChecks(int stored) {
  if (stored <= 0) return 0;
  return stored < 2 ? 2 : stored;
}

bool HungDialerWatch::Observe(bool hung, std::uint64_t nowMs) {
  if (!hung) {
    hungChecks_ = 0;
    return false;
  }
  if (hungChecks_ < INT_MAX) ++hungChecks_;
  return restartAfter_ > 0 && hungChecks_ >= restartAfter_ && ends_.Allows(nowMs);
}

void HungDialerWatch::Ended(std::uint64_t nowMs) {
  hungChecks_ = 0;
  ends_.Ended(nowMs);
}

}  // namespace zemvar
