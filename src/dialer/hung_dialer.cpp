#include "dialer/hung_dialer.h"

#include <climits>

#include "settings/settings_rules.h"

namespace zemvar {
namespace {

int Normalised(int restartAfter) {
  if (restartAfter <= 0) return 0;
  return restartAfter < 2 ? 2 : restartAfter;
}

}  // namespace

int RestartHungFromText(const char* text) { return Normalised(ParseDecimal(text)); }

HungDialerWatch::HungDialerWatch(int restartAfter) : restartAfter_(Normalised(restartAfter)) {}

void HungDialerWatch::SetRestartAfter(int restartAfter) { restartAfter_ = Normalised(restartAfter); }

bool HungDialerWatch::Observe(bool hung, std::uint64_t nowMs) {
  if (!hung) {
    hungChecks_ = 0;
    return false;
  }
  if (hungChecks_ < INT_MAX) ++hungChecks_;
  return restartAfter_ > 0 && hungChecks_ >= restartAfter_ && (!tried_ || nowMs - lastTryMs_ >= kRestartSpacingMs);
}

void HungDialerWatch::Ended(std::uint64_t nowMs) {
  hungChecks_ = 0;
  tried_ = true;
  lastTryMs_ = nowMs;
}

int HungDialerWatch::hungChecks() const { return hungChecks_; }

}  // namespace zemvar
