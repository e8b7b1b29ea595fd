// The dialer rules' seams over the real window system, registry, process start and network state.
#pragma once

#include <windows.h>

#include "dialer/check_cycle.h"
#include "dialer/win32_link_probe.h"

namespace zemvar {

inline HWND ToHwnd(WindowId window) { return reinterpret_cast<HWND>(window); }
inline WindowId ToWindowId(HWND window) { return reinterpret_cast<WindowId>(window); }

class Win32Desktop : public Desktop {
 public:
  void EnumTopLevel(Visitor visit, void* context) override;
  void EnumDescendants(WindowId parent, Visitor visit, void* context) override;
  int ClassName(WindowId window, char* buffer, int size) override;
  int Text(WindowId window, char* buffer, int size) override;
  WindowId Parent(WindowId window) override;
  bool WindowRect(WindowId window, Rect* rect) override;
  bool ScreenToClient(WindowId window, Point* point) override;
  bool IsWindow(WindowId window) override;
  bool IsVisible(WindowId window) override;
  PostResult Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  bool IsHung(WindowId window) override;
  std::uint32_t ProcessOf(WindowId window) override;
};

class Win32Pauses : public Pauses {
 public:
  void Pause(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
  std::uint64_t NowMs() override;
};

// HKEY_LOCAL_MACHINE\SOFTWARE\China Mobile\eWalk, in the 32-bit view where the dialer's installer writes.
class Win32InstallRegistry : public InstallRegistry {
 public:
  ~Win32InstallRegistry() override { Close(); }
  bool Open() override;
  bool Query(const char* name, std::uint32_t* type, char* data, std::uint32_t* size) override;
  void Close() override;

 private:
  HKEY key_ = nullptr;
};

class Win32Launcher : public Launcher {
 public:
  std::uint32_t Launch(const char* commandLine) override;
  // Waits a few seconds for the process to go, so that the next check does not find its windows.
  std::uint32_t End(std::uint32_t processId, WindowId window) override;
};

// A system DLL by its full path in the system folder (the 32-bit one under WoW64): never one of that name
// that lies beside the tool. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// IsNetworkAlive from sensapi.dll, loaded at run time. When the DLL or the function is missing the
// network counts as down: a dialer that this check has just started is offline, so pressing its
// connect control is the right thing to do.
class Win32Network : public Network {
 public:
  bool IsAlive() override;
};

// All of the above, ready for one check.
struct Win32CheckEnvironment {
  Win32Desktop desktop;
  Win32Pauses pauses;
  Win32Network network;
  Win32InstallRegistry registry;
  Win32Launcher launcher;
  Win32LinkProbe probe;
  CheckEnvironment Get() {
    CheckEnvironment environment{desktop, pauses, network, registry, launcher};
    environment.probe = &probe;
    return environment;
  }
};

}  // namespace zemvar
