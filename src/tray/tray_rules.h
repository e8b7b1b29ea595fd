// What the tray shows for a status, when its menu opens, how often checks run, and how checks are kept
// from overlapping.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "dialer/connection_status.h"
#include "dialer/check_cycle.h"

namespace zemvar {

constexpr unsigned kTrayIconId = 129;
constexpr unsigned kTrayNotifyMessage = 0x0400 + 1;  // WM_USER + 1
constexpr unsigned kCheckTimerId = 1;
constexpr int kStatusCount = StatusCount;

// Statuses outside the known range are shown as 0.
int ShownStatus(int status);
// The tooltip text (GBK) for a status.
const char* StatusText(int status);
// Whether the alert icon stands for a status (every status but 0).
bool StatusShowsAlert(int status);

// The tray callback's mouse message (lParam) for our icon (wParam): a left or right button press.
bool OpensTrayMenu(std::uintptr_t iconId, std::intptr_t mouseMessage);

// The timer period for an interval: at least one second, at most the platform's longest timer,
// USER_TIMER_MAXIMUM (0x7FFFFFFF ms, about 24.8 days).
constexpr int kMinTimerSeconds = 1;
constexpr int kMaxTimerSeconds = 0x7FFFFFFF / 1000;
std::uint32_t TimerIntervalMs(int seconds);

// The flag that keeps two checks from overlapping: entering is one atomic exchange.
class CheckGate {
 public:
  bool TryEnter() { return busy_.exchange(1) == 0; }
  void Leave() { busy_.store(0); }
  bool Busy() const { return busy_.load() != 0; }

 private:
  std::atomic<int> busy_{0};
};

extern CheckGate checkBusy;

// One worker's run: nothing when a check is already running, otherwise the check and then its status
// reported with its notes for the log, before the gate opens again. Returns whether a check ran.
// The watches carry their counts from one check to the next.
using CheckFunction = int (*)(void* context, DialerWatches& watches, std::vector<std::string>* notes);
using ReportFunction = void (*)(int status, std::vector<std::string>* notes, void* context);
bool RunGuardedCheck(CheckGate& gate, CheckFunction check, void* checkContext, DialerWatches& watches,
                     ReportFunction report, void* reportContext);

// While the shell refuses our icon (at logon the taskbar may not be ready), it is asked again every 2 s
// for the first 2 minutes of refusals, and after that at each check.
constexpr unsigned kIconRetryTimerId = 2;
constexpr std::uint32_t kIconRetryMs = 2000;
constexpr std::uint32_t kIconRetryFastForMs = 120000;

// After a resume the card needs a few seconds before a check can find it.
constexpr unsigned kResumeTimerId = 3;
constexpr std::uint32_t kResumeGraceMs = 5000;

// The status the tray shows, as the user-interface thread keeps it.
class ShownTrayStatus {
 public:
  // True when the status differs from the one shown, which then becomes it.
  bool Accept(int status) {
    if (status == shown_) return false;
    shown_ = status;
    return true;
  }
  int Get() const { return shown_; }

 private:
  int shown_ = 0;
};

}  // namespace zemvar
