// What one connection check costs beyond the pauses it must take, on a desktop crowded with other
// programs' windows: the wall time of the check over the sum of its pauses, for a running dialer.
// Each line also splits the time beyond the pauses into the window system's share (time inside its
// calls, and how many there were) and the rules' own share, the rest.
//   check_overhead_bench.exe [--runs N]      measure with 0, 100 and 500 extra windows
//   check_overhead_bench.exe --calls N       cost per window of each call a search could use, over
//                                            the top-level windows with N extra windows up
//   check_overhead_bench.exe --host N        (internal) show N windows with 10 children each
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dialer/check_cycle.h"
#include "dialer/win32_desktop.h"

namespace {

constexpr char kReadyEvent[] = "ZemvarCheckOverheadBenchHostReady";
constexpr int kChildrenPerWindow = 10;

class MeasuredPauses : public zemvar::Pauses {
 public:
  void Pause(std::uint32_t milliseconds) override {
    total += milliseconds;
    ::Sleep(milliseconds);
  }
  std::uint64_t NowMs() override { return ::GetTickCount(); }
  std::uint64_t total = 0;
};

// Other programs' windows: dialog-class top-level windows, so that each one passes the class test
// and costs the check a title read too.
int Host(int count) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  for (int i = 0; i < count; ++i) {
    char title[32];
    std::snprintf(title, sizeof title, "窗口 %d", i);
    HWND window = CreateWindowExA(0, "#32770", title, WS_POPUP | WS_CAPTION, 10 + (i * 7) % 600, 10 + (i * 5) % 500,
                                  300, 200, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    for (int c = 0; c < kChildrenPerWindow; ++c) {
      CreateWindowExA(0, c % 2 ? "Button" : "Static", "x", WS_CHILD | WS_VISIBLE, 10 + 25 * c, 10 + 15 * c, 80,
                      20, window, nullptr, instance, nullptr);
    }
    ShowWindow(window, SW_SHOWNOACTIVATE);
  }
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, kReadyEvent);
  if (ready) {
    SetEvent(ready);
    CloseHandle(ready);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

HANDLE Start(const std::string& commandLine) {
  std::string line = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

void Stop(HANDLE process) {
  if (!process) return;
  TerminateProcess(process, 0);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

bool WaitForDialer() {
  for (int i = 0; i < 400; ++i) {
    if (FindWindowA("#32770", "G3随e行")) return true;
    Sleep(50);
  }
  return false;
}

double Milliseconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Passes every call through to the real desktop and keeps the time spent inside the window system.
// An enumeration's time excludes the visitor, whose own calls are timed when it makes them; each
// window an enumeration hands over counts as a call, since the window system looks it up.
class TimedDesktop : public zemvar::Desktop {
  struct Enumeration {
    TimedDesktop* self;
    Visitor visit;
    void* context;
    double since;
  };

  static bool Visit(zemvar::WindowId window, void* context) {
    auto* e = static_cast<Enumeration*>(context);
    e->self->Add(e->since);
    const bool more = e->visit(window, e->context);
    e->since = Milliseconds();
    return more;
  }

  void Add(double since) {
    milliseconds += Milliseconds() - since;
    ++calls;
  }

  template <typename Call>
  auto Timed(Call call) {
    const double since = Milliseconds();
    auto result = call();
    Add(since);
    return result;
  }

  zemvar::Desktop& inner_;

 public:
  explicit TimedDesktop(zemvar::Desktop& inner) : inner_(inner) {}

  void EnumTopLevel(Visitor visit, void* context) override {
    Enumeration e{this, visit, context, Milliseconds()};
    inner_.EnumTopLevel(Visit, &e);
    Add(e.since);
  }
  void EnumDescendants(zemvar::WindowId parent, Visitor visit, void* context) override {
    Enumeration e{this, visit, context, Milliseconds()};
    inner_.EnumDescendants(parent, Visit, &e);
    Add(e.since);
  }
  int ClassName(zemvar::WindowId w, char* b, int n) override { return Timed([&] { return inner_.ClassName(w, b, n); }); }
  int Text(zemvar::WindowId w, char* b, int n) override { return Timed([&] { return inner_.Text(w, b, n); }); }
  zemvar::WindowId Parent(zemvar::WindowId w) override { return Timed([&] { return inner_.Parent(w); }); }
  bool WindowRect(zemvar::WindowId w, zemvar::Rect* r) override { return Timed([&] { return inner_.WindowRect(w, r); }); }
  bool ScreenToClient(zemvar::WindowId w, zemvar::Point* p) override {
    return Timed([&] { return inner_.ScreenToClient(w, p); });
  }
  bool IsWindow(zemvar::WindowId w) override { return Timed([&] { return inner_.IsWindow(w); }); }
  bool IsVisible(zemvar::WindowId w) override { return Timed([&] { return inner_.IsVisible(w); }); }
  zemvar::PostResult Post(zemvar::WindowId w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
    return Timed([&] { return inner_.Post(w, m, wp, lp); });
  }
  bool IsHung(zemvar::WindowId w) override { return Timed([&] { return inner_.IsHung(w); }); }
  std::uint32_t ProcessOf(zemvar::WindowId w) override { return Timed([&] { return inner_.ProcessOf(w); }); }

  double milliseconds = 0;
  std::uint64_t calls = 0;
};

class AliveNetwork : public zemvar::Network {
 public:
  bool IsAlive() override { return true; }
};

// Returns false when the setting could not be built.
bool Measure(int extraWindows, int runs) {
  const std::string folder = ProgramFolder();
  const std::string journal = folder + "bench-journal.txt";
  DeleteFileA(journal.c_str());
  HANDLE dialer = Start("\"" + folder + "dialer-sim.exe\" --no-detect --journal \"" + journal + "\"");
  if (!dialer || !WaitForDialer()) {
    Stop(dialer);
    return false;
  }
  // The extra windows come after the dialer, so they lie above it and every search passes them first.
  HANDLE host = nullptr;
  if (extraWindows > 0) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, kReadyEvent);
    host = Start("\"" + folder + "check_overhead_bench.exe\" --host " + std::to_string(extraWindows));
    const bool up = host && WaitForSingleObject(ready, 120000) == WAIT_OBJECT_0;
    CloseHandle(ready);
    if (!up) {
      Stop(host);
      Stop(dialer);
      return false;
    }
  }

  zemvar::Win32CheckEnvironment windows;
  TimedDesktop desktop(windows.desktop);
  MeasuredPauses pauses;
  AliveNetwork network;
  zemvar::CheckEnvironment env{desktop, pauses, network, windows.registry, windows.launcher};
  zemvar::RunConnectionCheck(env);  // warm-up: first touches of the windows
  pauses.total = 0;
  desktop.milliseconds = 0;
  desktop.calls = 0;

  const double begin = Milliseconds();
  bool allOk = true;
  for (int i = 0; i < runs; ++i) allOk = zemvar::RunConnectionCheck(env) == zemvar::StatusOk && allOk;
  const double wall = (Milliseconds() - begin) / runs;
  const double paused = static_cast<double>(pauses.total) / runs;
  const double system = desktop.milliseconds / runs;
  const double calls = static_cast<double>(desktop.calls) / runs;
  std::printf("extra windows %d: check %.1f ms, pauses %.0f ms, ratio %.4f%s\n", extraWindows, wall, paused,
              wall / paused, allOk ? "" : " (a check did not end with status 0)");
  std::printf("  window system: %.0f calls, %.1f ms, %.1f us a call; the rest: %.1f ms, ratio without the "
              "window system %.4f\n",
              calls, system, calls > 0 ? 1000.0 * system / calls : 0.0, wall - paused - system,
              (wall - system) / paused);
  std::fflush(stdout);
  Stop(host);
  Stop(dialer);
  return true;
}

std::vector<HWND> topLevel;

BOOL CALLBACK Collect(HWND window, LPARAM) {
  topLevel.push_back(window);
  return TRUE;
}

BOOL CALLBACK Nothing(HWND, LPARAM) { return TRUE; }

// Each call on every top-level window (all but a few belong to another process), a few passes.
template <typename Call>
void TimeCall(const char* name, Call call) {
  constexpr int kPasses = 10;
  const double begin = Milliseconds();
  for (int pass = 0; pass < kPasses; ++pass) {
    for (HWND window : topLevel) call(window);
  }
  const double each = (Milliseconds() - begin) / kPasses / static_cast<double>(topLevel.size());
  std::printf("  %-28s %7.1f us per window\n", name, 1000.0 * each);
}

int Calls(int extraWindows) {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, kReadyEvent);
  HANDLE host = Start("\"" + ProgramFolder() + "check_overhead_bench.exe\" --host " + std::to_string(extraWindows));
  const bool up = host && WaitForSingleObject(ready, 120000) == WAIT_OBJECT_0;
  CloseHandle(ready);
  if (!up) {
    Stop(host);
    return 1;
  }
  EnumWindows(Collect, 0);
  std::printf("calls on %u top-level windows:\n", static_cast<unsigned>(topLevel.size()));
  char text[256];
  WCHAR wide[256];
  const double begin = Milliseconds();
  for (int pass = 0; pass < 10; ++pass) EnumWindows(Nothing, 0);
  std::printf("  %-28s %7.1f us per window\n", "EnumWindows (no callback work)",
              1000.0 * (Milliseconds() - begin) / 10 / static_cast<double>(topLevel.size()));
  TimeCall("GetClassNameA", [&](HWND w) { GetClassNameA(w, text, 255); });
  TimeCall("RealGetWindowClassA", [&](HWND w) { RealGetWindowClassA(w, text, 255); });
  TimeCall("GetClassLongPtrA(GCW_ATOM)", [&](HWND w) { GetClassLongPtrA(w, GCW_ATOM); });
  TimeCall("GetWindowTextA", [&](HWND w) { GetWindowTextA(w, text, 255); });
  TimeCall("InternalGetWindowText", [&](HWND w) { InternalGetWindowText(w, wide, 255); });
  TimeCall("GetParent", [&](HWND w) { GetParent(w); });
  TimeCall("GetWindowThreadProcessId", [&](HWND w) { GetWindowThreadProcessId(w, nullptr); });
  TimeCall("IsWindow", [&](HWND w) { IsWindow(w); });
  TimeCall("GetCurrentProcessId (no server)", [&](HWND) { GetCurrentProcessId(); });
  Stop(host);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--host") == 0) return Host(std::atoi(argv[2]));
  if (argc == 3 && std::strcmp(argv[1], "--calls") == 0) return Calls(std::atoi(argv[2]));
  int runs = 5;
  if (argc == 3 && std::strcmp(argv[1], "--runs") == 0) runs = std::atoi(argv[2]);
  if (runs < 1) {
    std::fprintf(stderr, "usage: check_overhead_bench [--runs N]\n");
    return 2;
  }
  for (int extra : {0, 100, 500}) {
    if (!Measure(extra, runs)) {
      std::fprintf(stderr, "could not set up the desktop with %d extra windows\n", extra);
      return 1;
    }
  }
  return 0;
}
