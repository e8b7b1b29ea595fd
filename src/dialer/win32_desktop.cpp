#include "dialer/win32_desktop.h"

#include "dialer/dialer_texts.h"
#include "platform/tick_count.h"
#include "platform/win32_text.h"

#include <cstring>
#include <string>

namespace zemvar {
namespace {

struct EnumContext {
  Desktop::Visitor visit;
  void* context;
};

BOOL CALLBACK EnumProc(HWND window, LPARAM lParam) {
  auto* e = reinterpret_cast<EnumContext*>(lParam);
  return e->visit(ToWindowId(window), e->context) ? TRUE : FALSE;
}

using ReadWide = int(WINAPI*)(HWND, LPWSTR, int);

// As the A function reads under code page 936, whatever the system's own: at most size-1 bytes of
// whole GBK characters and a terminator.
int ReadAsGbk(ReadWide read, WindowId window, char* buffer, int size) {
  if (size <= 0) return 0;
  buffer[0] = '\0';
  if (!window) return 0;
  // A character takes at least one GBK byte and at most two UTF-16 units, so this holds all that fits.
  WideText wide(2 * static_cast<std::size_t>(size));
  const int length = read(ToHwnd(window), wide.data(), static_cast<int>(wide.size()));
  if (length <= 0) return 0;
  const std::size_t limit = static_cast<std::size_t>(size) - 1;
  const std::string gbk = GbkFromWide(wide.data(), static_cast<std::size_t>(length), limit);
  std::memcpy(buffer, gbk.c_str(), gbk.size() + 1);
  return static_cast<int>(gbk.size());
}

// What WinExec answers for a start CreateProcess refused: the small system codes it documents (file or
// path not found, bad format) are the error itself, and anything it has no number for is a bad format.
std::uint32_t WinExecCode(DWORD error) { return error < 32 ? error : ERROR_BAD_FORMAT; }

}  // namespace

void Win32Desktop::EnumTopLevel(Visitor visit, void* context) {
  EnumContext e{visit, context};
  ::EnumWindows(EnumProc, reinterpret_cast<LPARAM>(&e));
}

void Win32Desktop::EnumDescendants(WindowId parent, Visitor visit, void* context) {
  // A null parent would enumerate the top-level windows instead.
  if (!parent) return;
  EnumContext e{visit, context};
  ::EnumChildWindows(ToHwnd(parent), EnumProc, reinterpret_cast<LPARAM>(&e));
}

int Win32Desktop::ClassName(WindowId window, char* buffer, int size) {
  return ReadAsGbk(::GetClassNameW, window, buffer, size);
}

int Win32Desktop::Text(WindowId window, char* buffer, int size) {
  return ReadAsGbk(::GetWindowTextW, window, buffer, size);
}

WindowId Win32Desktop::Parent(WindowId window) { return window ? ToWindowId(::GetParent(ToHwnd(window))) : 0; }

bool Win32Desktop::WindowRect(WindowId window, Rect* rect) {
  RECT r;
  if (!window || !::GetWindowRect(ToHwnd(window), &r)) return false;
  *rect = {r.left, r.top, r.right, r.bottom};
  return true;
}

bool Win32Desktop::ScreenToClient(WindowId window, Point* point) {
  POINT p{point->x, point->y};
  if (!window || !::ScreenToClient(ToHwnd(window), &p)) return false;
  *point = {p.x, p.y};
  return true;
}

bool Win32Desktop::IsWindow(WindowId window) { return window && ::IsWindow(ToHwnd(window)); }

bool Win32Desktop::IsVisible(WindowId window) { return window && ::IsWindowVisible(ToHwnd(window)); }

PostResult Win32Desktop::Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  // A null window would post to this thread's own queue.
  if (!window) return PostResult::Failed;
  if (::PostMessageA(ToHwnd(window), message, wParam, lParam)) return PostResult::Posted;
  return ::GetLastError() == ERROR_ACCESS_DENIED ? PostResult::Refused : PostResult::Failed;
}

bool Win32Desktop::IsHung(WindowId window) { return window && ::IsHungAppWindow(ToHwnd(window)); }

std::uint32_t Win32Desktop::ProcessOf(WindowId window) {
  DWORD process = 0;
  if (window) ::GetWindowThreadProcessId(ToHwnd(window), &process);
  return process;
}

std::uint64_t Win32Pauses::NowMs() {
  static std::atomic<std::uint64_t> last{0};
  return WidenTickCount(last, ::GetTickCount());
}

bool Win32InstallRegistry::Open() {
  Close();
  const REGSAM access = KEY_READ | KEY_WOW64_32KEY;
  return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideFromGbk(dialer::kInstallKey).data(), 0, access, &key_) ==
         ERROR_SUCCESS;
}

bool Win32InstallRegistry::Query(const char* name, std::uint32_t* type, char* data, std::uint32_t* size) {
  if (!key_) return false;
  // A string's GBK form is never longer than its UTF-16 one, so twice the room holds every value that can
  // fit; what is longer as GBK is refused below, as the A function refuses it. Never an empty buffer,
  // whose null data would only ask for the value's size.
  WideText wide(*size + 1);
  DWORD valueType = 0;
  DWORD bytes = 2 * *size;
  if (::RegQueryValueExW(key_, WideFromGbk(name).data(), nullptr, &valueType, reinterpret_cast<BYTE*>(wide.data()),
                         &bytes) != ERROR_SUCCESS) {
    return false;
  }
  if (valueType == REG_SZ || valueType == REG_EXPAND_SZ || valueType == REG_MULTI_SZ) {
    // An odd last byte is half a UTF-16 unit: dropped, as is a terminator the value may lack.
    const std::string gbk = GbkFromWide(wide.data(), bytes / 2, bytes);
    bytes = static_cast<DWORD>(gbk.size());
    if (bytes > *size) return false;
    std::memcpy(data, gbk.data(), bytes);
  } else {
    if (bytes > *size) return false;
    std::memcpy(data, wide.data(), bytes);
  }
  *type = valueType;
  *size = bytes;
  return true;
}

void Win32InstallRegistry::Close() {
  if (key_) ::RegCloseKey(key_);
  key_ = nullptr;
}

// WinExec's start, which has no Unicode form: the same show state, the same wait for the program's input
// and the same codes.
std::uint32_t Win32Launcher::Launch(const char* commandLine) {
  constexpr DWORD kInputIdleMs = 30000;
  constexpr std::uint32_t kStarted = 33;
  WideText line = WideFromGbk(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return WinExecCode(::GetLastError());
  }
  ::WaitForInputIdle(process.hProcess, kInputIdleMs);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return kStarted;
}

std::uint32_t Win32Launcher::End(std::uint32_t processId, WindowId window) {
  static_assert(kErrorInvalidWindow == ERROR_INVALID_WINDOW_HANDLE, "the rules' code is the system's");
  constexpr DWORD kGoneWithinMs = 5000;
  HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
  if (!process) return ::GetLastError();
  // While our handle is open the id cannot pass to another program, so the window's owner now tells
  // whether this is still the dialer. A window that has gone has no owner.
  DWORD owner = 0;
  if (!::GetWindowThreadProcessId(ToHwnd(window), &owner) || owner != processId) {
    ::CloseHandle(process);
    return ERROR_INVALID_WINDOW_HANDLE;
  }
  const DWORD error = ::TerminateProcess(process, 1) ? 0 : ::GetLastError();
  if (error == 0) ::WaitForSingleObject(process, kGoneWithinMs);
  ::CloseHandle(process);
  return error;
}

HMODULE LoadSystemLibrary(const char* name) {
  // The folder crosses the rule as GBK and back.
  wchar_t folder[kMaxPathBuffer];
  const UINT length = ::GetSystemDirectoryW(folder, kMaxPathBuffer);
  std::string path;
  if (length == 0 || length >= kMaxPathBuffer ||
      !SystemDllPath(GbkFromWide(folder, length, kMaxPathBuffer), name, &path)) {
    return nullptr;
  }
  return ::LoadLibraryW(WideFromGbk(path).data());
}

bool Win32Network::IsAlive() {
  using IsNetworkAliveFn = BOOL(WINAPI*)(LPDWORD);
  // Loaded once and kept: the library stays for the life of the process.
  static const IsNetworkAliveFn isNetworkAlive = [] {
    HMODULE sensapi = LoadSystemLibrary("sensapi.dll");
    FARPROC proc = sensapi ? ::GetProcAddress(sensapi, "IsNetworkAlive") : nullptr;
    return reinterpret_cast<IsNetworkAliveFn>(reinterpret_cast<void (*)()>(proc));
  }();
  DWORD flags = 0;
  return isNetworkAlive && isNetworkAlive(&flags);
}

}  // namespace zemvar
