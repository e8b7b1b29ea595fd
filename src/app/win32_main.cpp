// Start-up: one copy at a time, the hidden host, and its loop until the user picks Exit.
#include <windows.h>
#include <commctrl.h>

#include "tray/win32_tray_host.h"

namespace {

// A one-file tool often runs from Downloads, where a web page may have dropped a DLL of a system name:
// take the current folder out of the search, and where the system can, search only its own folder.
void KeepDllSearchToTheSystem() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto setDllDirectory =
      reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDllDirectoryA")));
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDllDirectory) setDllDirectory("");
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (setDefault) setDefault(kSearchSystem32);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  KeepDllSearchToTheSystem();
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
