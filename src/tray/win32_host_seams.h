// What the tray host reaches outside itself. The tool's start hands it the real ones; tests their own.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "settings/settings_rules.h"
#include "tray/event_log.h"
#include "tray/tray_rules.h"

namespace zemvar {

// Lets a message from a program with fewer rights (a normal Explorer) reach an elevated window: by
// ChangeWindowMessageFilterEx (Windows 7) or ChangeWindowMessageFilter (Vista), looked up at run time;
// true where the system has neither, since it then filters nothing (XP).
BOOL WINAPI AllowMessageFromFewerRights(HWND window, UINT message);

struct HostSeams {
  ProfileFile* profile = nullptr;
  RunKey* runKey = nullptr;
  LogFiles* logFiles = nullptr;
  LocalClock* clock = nullptr;
  CheckFunction check = nullptr;  // runs on a worker thread
  void* checkContext = nullptr;
  std::string modulePath;  // the running executable's, in UTF-8; config.ini and the log lie beside it

  // The window system's calls that tests watch or make fail.
  BOOL(WINAPI* notify)(DWORD, PNOTIFYICONDATAW) = Shell_NotifyIconW;
  UINT_PTR(WINAPI* setTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = SetTimer;
  BOOL(WINAPI* killTimer)(HWND, UINT_PTR) = KillTimer;
  HANDLE(WINAPI* createThread)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                               LPDWORD) = CreateThread;
  DWORD(WINAPI* tickCount)() = GetTickCount;
  BOOL(WINAPI* allowMessage)(HWND, UINT) = AllowMessageFromFewerRights;
};

// "what: error N", as the log tells a failed call.
inline std::string WithError(const char* what, DWORD error) {
  char text[160];
  std::snprintf(text, sizeof text, "%s: error %lu", what, static_cast<unsigned long>(error));
  return text;
}

}  // namespace zemvar
