// The checks: one on a worker thread at each tick of the check timer, none overlapping, and their
// statuses carried back to the host's window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tray/event_log.h"
#include "tray/win32_host_seams.h"

namespace zemvar {

// A worker's status, posted to the host; wParam is the status, lParam its notes for the log or 0.
constexpr UINT kCheckDoneMessage = WM_APP + 1;
// Takes over the notes a kCheckDoneMessage carries.
inline std::unique_ptr<std::vector<std::string>> CheckNotes(LPARAM lParam) {
  return std::unique_ptr<std::vector<std::string>>(reinterpret_cast<std::vector<std::string>*>(lParam));
}

class CheckRunner {
 public:
  CheckRunner(const HostSeams& seams, EventLog& log);
  CheckRunner(const CheckRunner&) = delete;
  CheckRunner& operator=(const CheckRunner&) = delete;

  // One check at once, then one at every tick; the watches as config.ini sets them.
  void Start(HWND host, const Settings& settings);
  // The timer starts again with the new interval.
  void SetInterval(int seconds);
  // The check timer's tick and the resume timer's; false for any other timer.
  bool OnTimer(WPARAM id);
  // Back from sleep: one check once the card is back, however many resumes arrive.
  void OnResume();
  // Windows is ending the session, or no longer: while it is, nothing may start.
  void SetSessionEnding(bool ending);
  // For good: no timer, no new check. A running one is left to end with the process.
  void Stop();

  UINT_PTR timerId() const { return timerId_; }

 private:
  void StartCheck();
  void StartTimer(int seconds);

  const HostSeams& seams_;
  EventLog& log_;
  HWND host_ = nullptr;
  UINT_PTR timerId_ = 0;
  bool sessionEnding_ = false;
  bool stopped_ = false;
};

}  // namespace zemvar
