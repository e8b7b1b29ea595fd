#include "tray/win32_check_runner.h"

#include "dialer/check_cycle.h"
#include "tray/tray_rules.h"

namespace zemvar {
namespace {

// Lives as long as the process: a worker may still run after the host has gone.
DialerWatches watches;

// A worker knows only the host's window: it never holds the host, so a late worker cannot touch it, and a
// post to a window that has gone is lost harmlessly.
struct WorkerOrder {
  HWND host;
  CheckFunction check;
  void* checkContext;
};

void PostStatus(int status, std::vector<std::string>* notes, void* host) {
  auto* carried = notes->empty() ? nullptr : new std::vector<std::string>(std::move(*notes));
  if (!PostMessageA(static_cast<HWND>(host), kCheckDoneMessage, static_cast<WPARAM>(status),
                    reinterpret_cast<LPARAM>(carried))) {
    delete carried;
  }
}

DWORD WINAPI CheckWorker(void* parameter) {
  const WorkerOrder order = *static_cast<WorkerOrder*>(parameter);
  delete static_cast<WorkerOrder*>(parameter);
  return RunGuardedCheck(checkBusy, order.check, order.checkContext, watches, PostStatus, order.host) ? 1 : 0;
}

}  // namespace

CheckRunner::CheckRunner(const HostSeams& seams, EventLog& log) : seams_(seams), log_(log) {}

void CheckRunner::Start(HWND host, const Settings& settings) {
  host_ = host;
  // Before the first worker: from then on only the workers, one at a time, touch the watches.
  watches.hung.SetRestartAfter(settings.restartHung);
  watches.offline.Configure(settings.probe, settings.restartOffline);
  StartCheck();
  StartTimer(settings.seconds);
}

void CheckRunner::SetInterval(int seconds) {
  if (stopped_) return;
  if (timerId_ != 0) seams_.killTimer(host_, timerId_);
  StartTimer(seconds);
}

bool CheckRunner::OnTimer(WPARAM id) {
  if (id == kResumeTimerId) {
    seams_.killTimer(host_, kResumeTimerId);
    if (!checkBusy.Busy()) StartCheck();
    return true;
  }
  if (id != timerId_ || timerId_ == 0) return false;
  StartCheck();
  return true;
}

void CheckRunner::OnResume() {
  if (stopped_ || sessionEnding_) return;
  log_.Write("resume");
  seams_.setTimer(host_, kResumeTimerId, kResumeGraceMs, nullptr);
}

void CheckRunner::SetSessionEnding(bool ending) {
  if (ending == sessionEnding_) return;
  sessionEnding_ = ending;
  launchesHeld = ending;
  log_.Write(ending ? "session ending" : "session end cancelled");
}

void CheckRunner::Stop() {
  stopped_ = true;
  if (timerId_ != 0) seams_.killTimer(host_, timerId_);
  timerId_ = 0;
  seams_.killTimer(host_, kResumeTimerId);
}

void CheckRunner::StartCheck() {
  if (sessionEnding_ || stopped_) return;
  auto* order = new WorkerOrder{host_, seams_.check, seams_.checkContext};
  HANDLE thread = seams_.createThread(nullptr, 0, CheckWorker, order, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
  } else {
    log_.Write(WithError("check thread not started", GetLastError()));
    delete order;
  }
}

void CheckRunner::StartTimer(int seconds) {
  timerId_ = seams_.setTimer(host_, kCheckTimerId, TimerIntervalMs(seconds), nullptr);
  if (!timerId_) log_.Write(WithError("check timer not started", GetLastError()));
}

}  // namespace zemvar
