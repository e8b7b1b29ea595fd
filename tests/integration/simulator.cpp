#include "simulator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zemvar {
namespace testing {
namespace {

constexpr UINT kSyncMessage = WM_APP + 1;
constexpr char kInstallParent[] = "SOFTWARE\\China Mobile";
constexpr char kInstallKey[] = "SOFTWARE\\China Mobile\\eWalk";

std::string TestFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string ReadText(const std::string& path) {
  std::string text;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  CloseHandle(file);
  return text;
}

bool IsDialerWindow(HWND window) {
  char name[64] = {}, title[64] = {};
  GetClassNameA(window, name, sizeof name);
  GetWindowTextA(window, title, sizeof title);
  return std::strcmp(name, "#32770") == 0 && (std::strcmp(title, "G3随e行") == 0 || std::strcmp(title, "G3 eWalk") == 0);
}

struct FindContext {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindByPid(HWND window, LPARAM lParam) {
  auto* context = reinterpret_cast<FindContext*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != context->pid || !IsDialerWindow(window)) return TRUE;
  context->found = window;
  return FALSE;
}

BOOL CALLBACK CollectDialerPids(HWND window, LPARAM lParam) {
  if (IsDialerWindow(window)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId()) reinterpret_cast<std::vector<DWORD>*>(lParam)->push_back(pid);
  }
  return TRUE;
}

void EndProcess(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!process) return;
  TerminateProcess(process, 0);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

}  // namespace

Simulator::Simulator(const std::string& name) {
  const std::string base = TestFolder() + "sim work\\";
  CreateDirectoryA(base.c_str(), nullptr);
  folder_ = base + name + "\\";
  CreateDirectoryA(folder_.c_str(), nullptr);
  DeleteFileA((folder_ + "dialer-sim.args").c_str());
  DeleteFileA((folder_ + "dialer-sim-journal.txt").c_str());
  ready_ = CopyFileA((TestFolder() + "dialer-sim.exe").c_str(), (folder_ + "dialer-sim.exe").c_str(), FALSE) != 0;
}

bool Simulator::WriteArgs(const std::string& args) {
  HANDLE file = CreateFileA((folder_ + "dialer-sim.args").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, args.data(), static_cast<DWORD>(args.size()), &written, nullptr) &&
                  written == args.size();
  CloseHandle(file);
  return ok;
}

Simulator::~Simulator() {
  Stop();
  if (process_) CloseHandle(process_);
}

bool Simulator::Launch(const std::string& args) {
  std::string commandLine = "\"" + folder_ + "dialer-sim.exe\" " + args;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  if (process_) CloseHandle(process_);
  process_ = process.hProcess;
  return true;
}

bool Simulator::Start(const std::string& args) { return Launch(args) && Sync(); }

DWORD Simulator::Pid() const {
  for (const std::string& line : Journal()) {
    if (line.compare(0, 10, "start pid=") == 0) return static_cast<DWORD>(std::strtoul(line.c_str() + 10, nullptr, 10));
  }
  return 0;
}

bool Simulator::Sync() {
  const DWORD deadline = GetTickCount() + 20000;
  HWND window = nullptr;
  while (!(window = FindDialerWindow(Pid()))) {
    if (static_cast<LONG>(GetTickCount() - deadline) > 0) return false;
    Sleep(50);
  }
  size_t syncs = 0;
  for (const std::string& line : Journal()) syncs += line == "sync";
  if (!PostMessageA(window, kSyncMessage, 0, 0)) return false;
  while (static_cast<LONG>(GetTickCount() - deadline) <= 0) {
    size_t now = 0;
    for (const std::string& line : Journal()) now += line == "sync";
    if (now > syncs) return true;
    Sleep(20);
  }
  return false;
}

bool Simulator::WaitFor(const std::string& line, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  do {
    for (const std::string& seen : Journal()) {
      if (seen == line) return true;
    }
    Sleep(20);
  } while (GetTickCount() - start < timeoutMs);
  return false;
}

std::vector<std::string> Simulator::Journal() const {
  std::vector<std::string> lines;
  const std::string text = ReadText(folder_ + "dialer-sim-journal.txt");
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) break;  // a line still being written
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> Simulator::Actions() const {
  std::vector<std::string> actions;
  for (const std::string& line : Journal()) {
    if (line.compare(0, 6, "click ") == 0 || line.compare(0, 8, "command ") == 0) actions.push_back(line);
  }
  return actions;
}

bool Simulator::WaitForExit(DWORD timeoutMs) const {
  // Our own handle keeps an ended program's object, which its number alone would no longer find.
  if (process_) return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, Pid());
  if (!process) return false;
  const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

HWND Simulator::Window() const { return FindDialerWindow(Pid()); }

void Simulator::Stop() {
  // Only while it still shows a dialer window: a number of an ended process may name another one by now.
  const DWORD pid = Pid();
  if (FindDialerWindow(pid)) EndProcess(pid);
}

HWND FindDialerWindow(DWORD pid) {
  if (!pid) return nullptr;
  FindContext context{pid, nullptr};
  EnumWindows(FindByPid, reinterpret_cast<LPARAM>(&context));
  return context.found;
}

bool SetInstallRecord(const std::string& exePath, const std::string& exeName) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok =
      RegSetValueExA(key, "ExePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(exePath.c_str()),
                     static_cast<DWORD>(exePath.size() + 1)) == ERROR_SUCCESS &&
      RegSetValueExA(key, "ExeName", 0, REG_SZ, reinterpret_cast<const BYTE*>(exeName.c_str()),
                     static_cast<DWORD>(exeName.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

void RemoveInstallRecord() {
  HKEY parent = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallParent, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &parent) != ERROR_SUCCESS) {
    return;
  }
  RegDeleteKeyA(parent, "eWalk");
  RegCloseKey(parent);
  HKEY software = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &software) == ERROR_SUCCESS) {
    RegDeleteKeyA(software, "China Mobile");  // refused while other keys live under it
    RegCloseKey(software);
  }
}

void EndStrayDialers() {
  for (int round = 0; round < 5; ++round) {
    std::vector<DWORD> pids;
    EnumWindows(CollectDialerPids, reinterpret_cast<LPARAM>(&pids));
    if (pids.empty()) return;
    for (DWORD pid : pids) EndProcess(pid);
  }
}

}  // namespace testing
}  // namespace zemvar
