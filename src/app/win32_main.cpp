// Start-up: one copy at a time, the hidden host, and its loop until the user picks Exit.
#include <windows.h>
#include <commctrl.h>

#include "tray/win32_tray_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Never closed: the name is held for the life of the process.
  CreateEventA(nullptr, FALSE, TRUE, "Quenbri_VarzemConnect");
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  InitCommonControls();
  {
    zemvar::TrayHostDialog host;
    // Without its window nothing could ever end the tool, so it ends now.
    if (host.CreateModeless(nullptr)) {
      ShowWindow(host.hwnd(), SW_HIDE);
      host.RunModalLoop();
    }
  }
  // A check may still be running on a worker; end the process now rather than run static destructors
  // under it.
  ExitProcess(0);
}
