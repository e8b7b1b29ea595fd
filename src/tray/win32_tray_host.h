// The tool's one long-lived window: hidden owner of the tray icon and the check timer, shown as the
// settings window when the user asks for it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "settings/settings_rules.h"
#include "tray/event_log.h"
#include "tray/tray_rules.h"
#include "tray/win32_event_log.h"
#include "ui/win32_dialog.h"

namespace zemvar {

// The worker's status, posted to the host; wParam is the status, lParam its notes for the log (a
// std::vector<std::string> the host takes over) or 0.
constexpr UINT kCheckDoneMessage = WM_APP + 1;

class TrayHostDialog : public ui::Dialog {
 public:
  // What the host reaches outside itself; tests replace parts of it.
  struct Seams {
    CheckFunction check = nullptr;  // runs on a worker thread; none: the real connection check
    void* checkContext = nullptr;
    BOOL(WINAPI* notify)(DWORD, PNOTIFYICONDATAA) = Shell_NotifyIconA;
    UINT_PTR(WINAPI* setTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = SetTimer;
    BOOL(WINAPI* killTimer)(HWND, UINT_PTR) = KillTimer;
    HANDLE(WINAPI* createThread)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                                 LPDWORD) = CreateThread;
    DWORD(WINAPI* tickCount)() = GetTickCount;
    ProfileFile* profile = nullptr;  // none: the real files, registry and clock
    RunKey* runKey = nullptr;
    LogFiles* logFiles = nullptr;
    LocalClock* clock = nullptr;
    std::string modulePath;  // empty: the running executable's
  };

  TrayHostDialog();
  explicit TrayHostDialog(const Seams& seams);
  ~TrayHostDialog() override;

  int autoRun() const { return settings_.autoRun; }
  int seconds() const { return settings_.seconds; }
  UINT_PTR timerId() const { return timerId_; }
  int lastStatus() const { return shown_.Get(); }
  // Whether the shell holds our icon.
  bool iconShown() const { return iconShown_; }

  // Settings window: fill from the members and show; store what it holds and hide.
  void ShowSettings();
  void SaveSettings();
  // Tray menu Exit: the timer and the icon go, the modal loop ends.
  void Exit();

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnCancel() override { ShowWindow(hwnd(), SW_HIDE); }

 private:
  bool UpdateTrayIcon(DWORD message);
  void ShowIcon();
  void ShowStatus(int status);
  void OnSessionEnd(bool ending);
  void OnResume();
  void StartCheck();
  void StartTimer();
  void ShowTrayMenu();
  void Paint();

  Seams seams_;
  ProfileFile* profile_;
  RunKey* runKey_;
  ProfileFile* ownProfile_ = nullptr;
  RunKey* ownRunKey_ = nullptr;
  NOTIFYICONDATAA trayData_{};
  Settings settings_;
  UINT_PTR timerId_ = 0;
  ShownTrayStatus shown_;
  HICON normalIcon_;
  HICON alertIcon_;
  UINT taskbarCreated_;
  Win32LogFiles ownLogFiles_;
  Win32LocalClock ownClock_;
  EventLog log_;  // off unless config.ini says Log=1
  bool iconShown_ = false;
  int iconRefusals_ = 0;  // adds refused in a row
  DWORD firstRefusal_ = 0;
  bool sessionEnding_ = false;
  bool exiting_ = false;
  bool placed_ = false;
};

}  // namespace zemvar
