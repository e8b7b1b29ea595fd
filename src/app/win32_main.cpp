// Start-up: one copy at a time, the hidden host with the real files, registry, clock and check, and its
// loop until the user picks Exit.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "dialer/win32_desktop.h"
#include "platform/module_path.h"
#include "platform/win32_text.h"
#include "settings/win32_settings_store.h"
#include "tray/win32_event_log.h"
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

// UTF-8, so that a folder of any letters keeps them.
std::string ModulePath() {
  wchar_t path[zemvar::kMaxPathBuffer] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, zemvar::kMaxPathBuffer);
  // A path that filled the buffer may have been cut short.
  if (length == 0 || length >= zemvar::kMaxPathBuffer) return std::string();
  return zemvar::Utf8FromWide(path, length);
}

int RunRealCheck(void*, zemvar::DialerWatches& watches, std::vector<std::string>* notes) {
  zemvar::Win32CheckEnvironment environment;
  zemvar::CheckEnvironment e = environment.Get();
  e.notes = notes;
  e.watches = &watches;
  return zemvar::RunConnectionCheck(e);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  KeepDllSearchToTheSystem();
  // Never closed: the name is held for the life of the process.
  CreateEventA(nullptr, FALSE, TRUE, "Quenbri_VarzemConnect");
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  InitCommonControls();
  {
    zemvar::Win32ProfileFile profile;
    zemvar::Win32RunKey runKey;
    zemvar::Win32LogFiles logFiles;
    zemvar::Win32LocalClock clock;
    zemvar::HostSeams seams;
    seams.profile = &profile;
    seams.runKey = &runKey;
    seams.logFiles = &logFiles;
    seams.clock = &clock;
    seams.check = RunRealCheck;
    seams.modulePath = ModulePath();
    zemvar::TrayHostDialog host(seams);
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
