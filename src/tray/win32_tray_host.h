// The tool's one long-lived window: hidden owner of the tray icon and the check timer, shown as the
// settings window when the user asks for it. It routes messages to the icon and the checks.
#pragma once

#include <windows.h>

#include "settings/settings_rules.h"
#include "tray/event_log.h"
#include "tray/win32_check_runner.h"
#include "tray/win32_host_seams.h"
#include "tray/win32_tray_icon.h"
#include "ui/win32_dialog.h"

namespace zemvar {

class TrayHostDialog : public ui::Dialog {
 public:
  using Seams = HostSeams;

  // What the seams point to must outlive the host.
  explicit TrayHostDialog(const Seams& seams);
  ~TrayHostDialog() override;

  int autoRun() const { return settings_.autoRun; }
  int seconds() const { return settings_.seconds; }
  UINT_PTR timerId() const { return checks_.timerId(); }
  int lastStatus() const { return trayIcon_.status(); }
  // Whether the shell holds our icon.
  bool iconShown() const { return trayIcon_.shown(); }

  // Settings window: fill from the members and show; store what it holds and hide.
  void ShowSettings();
  void SaveSettings();
  // Tray menu Exit: the timer and the icon go, whatever is open closes, the modal loop ends.
  void Exit();

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnCancel() override { ShowWindow(hwnd(), SW_HIDE); }

 private:
  // config.ini says so, and Task Manager has not switched it off.
  bool StartsAtLogon() const;
  void ShowAbout();
  void ShowTrayMenu();
  void Paint();

  const Seams seams_;
  Settings settings_;
  EventLog log_;  // off unless config.ini says Log=1
  TrayIcon trayIcon_;
  CheckRunner checks_;
  HICON normalIcon_ = nullptr;  // the window's, at the standard size, shared
  HICON smallIcon_ = nullptr;   // the window's, at the small size
  bool exiting_ = false;
  bool placed_ = false;  // the settings window has had its first placement
};

}  // namespace zemvar
