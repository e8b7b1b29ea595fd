// The tool's icon in the notification area: the status it shows, and keeping it there when the shell
// refuses it at logon, loses it, or is rebuilt.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "tray/event_log.h"
#include "tray/tray_rules.h"
#include "tray/win32_host_seams.h"

namespace zemvar {

// An icon of our resources at that size, the caller's to destroy.
HICON LoadIconSized(int id, int size);

class TrayIcon {
 public:
  TrayIcon(const HostSeams& seams, EventLog& log);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Adds the icon for `owner`, whose messages then carry its clicks.
  void Add(HWND owner);
  // Shows a check's status; false when it is the one already shown.
  bool Show(int status);
  // TaskbarCreated and the retry timer's tick; false for any other message.
  bool HandleMessage(UINT message, WPARAM wParam);
  // Past the first minutes of refusals the icon is asked for at each check.
  void OnCheckTick();
  // For good: nothing is added after it.
  void Remove();

  bool shown() const { return shown_; }
  int status() const { return status_.Get(); }

 private:
  // The two icons at the size the notification area asks for now.
  void LoadIcons();
  void Ask();
  bool Update(DWORD message);
  void StopRetry();

  const HostSeams& seams_;
  EventLog& log_;
  NOTIFYICONDATAW record_{};
  HICON normalIcon_ = nullptr;
  HICON alertIcon_ = nullptr;
  int iconSize_ = 0;
  UINT taskbarCreated_;
  ShownTrayStatus status_;
  bool shown_ = false;
  bool removed_ = false;
  bool retrying_ = false;  // the 2-s retry timer runs
  int refusals_ = 0;       // adds refused in a row
  DWORD firstRefusal_ = 0;
};

}  // namespace zemvar
