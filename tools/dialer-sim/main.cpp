// The dialer simulator: the windows of the G3 eWalk dialer, with the classes, titles, texts, owners and
// control positions that Zemvar recognises, and a journal of everything done to them.
#include <windows.h>

#include <cstdio>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "sim_options.h"
#include "sim_texts.h"

namespace sim {
namespace {

constexpr WPARAM kConnectCommand = 50002;
constexpr UINT kSyncMessage = WM_APP + 1;
constexpr wchar_t kControlClass[] = L"AfxWnd70u";
constexpr wchar_t kArgsFile[] = L"dialer-sim.args";
constexpr wchar_t kJournalFile[] = L"dialer-sim-journal.txt";
// The texts are GBK whatever the system's code page, as the journal is; the options are UTF-8.
constexpr UINT kGbk = 936;
constexpr int kEventLines = 7;

enum class Role { Main, Panel, Detect, Other, Box };

struct WindowInfo {
  Role role;
  BoxKind box;
};

struct BoxButton {
  int id;
  RECT rect;
};

struct BoxLayout {
  int width, height;  // client area
  RECT message;
  POINT position;
};

const BoxLayout kBoxLayouts[BoxKindCount] = {
    {280, 95, {12, 10, 268, 46}, {340, 290}},     // sim: OK covers (140, 60)
    {340, 110, {15, 12, 325, 52}, {640, 290}},    // sim-other: OK covers (250, 70)
    {260, 95, {12, 10, 248, 46}, {340, 430}},     // nodevice: OK covers (120, 60)
    {360, 145, {15, 15, 345, 85}, {620, 430}},    // netprompt: OK covers (180, 110)
    {300, 95, {12, 10, 288, 46}, {340, 560}},     // connected: No covers (180, 60)
};

struct App {
  Options options;
  const Texts* texts = nullptr;
  HINSTANCE instance = nullptr;
  std::wstring journalPath;
  HFONT bigFont = nullptr;
  HWND main = nullptr, panel = nullptr, detect = nullptr, other = nullptr;
  HWND boxes[BoxKindCount] = {};
  HWND mainStatus = nullptr, mainEvents = nullptr, panelStatus = nullptr, connectControl = nullptr;
  std::deque<std::string> recent;
  bool connected = false;
  bool quitting = false;
};

App app;
WindowInfo mainInfo{Role::Main, BoxSim}, panelInfo{Role::Panel, BoxSim}, detectInfo{Role::Detect, BoxSim},
    otherInfo{Role::Other, BoxSim};
WindowInfo boxInfo[BoxKindCount] = {{Role::Box, BoxSim},
                                    {Role::Box, BoxSimOther},
                                    {Role::Box, BoxNoDevice},
                                    {Role::Box, BoxNetworkPrompt},
                                    {Role::Box, BoxConnected}};

std::wstring Wide(const std::string& text, UINT codePage = kGbk) {
  const int size = static_cast<int>(text.size());
  const int length = size ? MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0) : 0;
  std::wstring wide(length, L'\0');
  if (length) MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
  return wide;
}

std::string Narrow(const std::wstring& text, UINT codePage) {
  const int size = static_cast<int>(text.size());
  const int length = size ? WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr) : 0;
  std::string narrow(length, '\0');
  if (length) WideCharToMultiByte(codePage, 0, text.data(), size, &narrow[0], length, nullptr, nullptr);
  return narrow;
}

std::string GbkFromUtf8(const std::string& text) { return Narrow(Wide(text, CP_UTF8), kGbk); }

// One line per event, written through at once so that a test reading the file sees it.
void Journal(const std::string& line) {
  HANDLE file = CreateFileW(app.journalPath.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }
  app.recent.push_back(line);
  if (app.recent.size() > kEventLines) app.recent.pop_front();
  if (app.mainEvents) {
    std::string shown = app.texts->eventsHeading;
    for (const std::string& event : app.recent) shown += "\r\n" + event;
    SetWindowTextW(app.mainEvents, Wide(shown).c_str());
  }
}

const char* ButtonName(int id) {
  switch (id) {
    case IDOK: return "ok";
    case IDCANCEL: return "cancel";
    case IDYES: return "yes";
    case IDNO: return "no";
  }
  return "other";
}

const char* ButtonLabel(int id) {
  switch (id) {
    case IDOK: return app.texts->ok;
    case IDCANCEL: return app.texts->cancel;
    case IDYES: return app.texts->yes;
    case IDNO: return app.texts->no;
  }
  return "";
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A dialog of class "#32770" from an in-memory template with no controls; the controls are added in
// pixels afterwards, because the positions the tool looks at are client pixels, not dialog units.
HWND CreateDialogWindow(HWND owner, DWORD style, const char* title, POINT position, int width, int height,
                        WindowInfo* info) {
  alignas(DWORD) WORD buffer[64] = {};
  auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer);
  dialog->style = style | DS_SETFONT;
  WORD* p = reinterpret_cast<WORD*>(reinterpret_cast<BYTE*>(buffer) + sizeof(DLGTEMPLATE));
  *p++ = 0;  // no menu
  *p++ = 0;  // the standard dialog class
  *p++ = 0;  // title set below
  *p++ = 9;  // point size
  const wchar_t* face = app.options.english ? L"MS Shell Dlg" : L"SimSun";
  while ((*p++ = *face++) != 0) {
  }
  HWND window = CreateDialogIndirectParamW(app.instance, dialog, owner, DialogProc, reinterpret_cast<LPARAM>(info));
  if (!window) return nullptr;
  SetWindowTextW(window, Wide(title).c_str());
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, FALSE, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, position.x, position.y, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return window;
}

HWND AddChild(HWND parent, const wchar_t* className, const char* text, DWORD style, const RECT& rect, int id,
              HFONT font = nullptr) {
  HWND child = CreateWindowExW(0, className, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), app.instance, nullptr);
  if (!font) font = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

// Without activation, so that the window order the tool enumerates does not depend on focus.
void Show(HWND window) { ShowWindow(window, SW_SHOWNOACTIVATE); }

constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kTopStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

void ShowState() {
  const Texts& t = *app.texts;
  if (app.mainStatus) SetWindowTextW(app.mainStatus, Wide(app.connected ? t.statusOnline : t.statusOffline).c_str());
  if (app.panelStatus) SetWindowTextW(app.panelStatus, Wide(app.connected ? t.online : t.offline).c_str());
  if (app.connectControl) InvalidateRect(app.connectControl, nullptr, TRUE);
}

void SetConnected(bool connected) {
  if (app.connected == connected) return;
  app.connected = connected;
  Journal(connected ? "connect" : "disconnect");
  ShowState();
}

HWND BoxOwner() { return app.main ? app.main : app.panel; }

void ShowBox(BoxKind kind) {
  if (app.boxes[kind]) return;
  const Texts& t = *app.texts;
  const BoxLayout& layout = kBoxLayouts[kind];
  const char* title = t.promptTitle;
  const char* message = nullptr;
  BoxButton buttons[2] = {};
  int buttonCount = 1;
  int defaultButton = 0;
  HWND owner = BoxOwner();
  switch (kind) {
    case BoxSim:
      message = t.noSim;
      buttons[0] = {IDOK, {105, 52, 175, 78}};
      break;
    case BoxSimOther:
      title = t.errorTitle;
      message = t.noSim;
      buttons[0] = {IDOK, {210, 60, 290, 86}};
      break;
    case BoxNoDevice:
      message = t.noDevice;
      buttons[0] = {IDOK, {85, 52, 155, 78}};
      break;
    case BoxNetworkPrompt:
      title = t.networkPromptTitle;
      message = t.networkPromptText;
      buttons[0] = {IDOK, {140, 100, 220, 126}};
      buttons[1] = {IDCANCEL, {240, 100, 320, 126}};
      buttonCount = 2;
      if (app.options.promptButtons == PromptButtons::Elsewhere) buttons[0].rect = {20, 100, 100, 126};
      if (app.options.promptButtons == PromptButtons::None) buttonCount = 0;
      if (app.options.promptOwner == PromptOwner::Other) owner = app.other;
      if (app.options.promptOwner == PromptOwner::None) owner = nullptr;
      break;
    case BoxConnected:
      message = t.connectedQuestion;
      buttons[0] = {IDYES, {60, 52, 130, 78}};
      buttons[1] = {IDNO, {145, 52, 215, 78}};
      buttonCount = 2;
      defaultButton = 1;  // keep the connection unless asked twice
      break;
    case BoxKindCount:
      return;
  }
  HWND box = CreateDialogWindow(owner, kBoxStyle, title, layout.position, layout.width, layout.height, &boxInfo[kind]);
  if (!box) return;
  AddChild(box, L"Static", message, SS_LEFT, layout.message, 100);
  for (int i = 0; i < buttonCount; ++i) {
    const DWORD style = WS_TABSTOP | (i == defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    AddChild(box, L"Button", ButtonLabel(buttons[i].id), style, buttons[i].rect, buttons[i].id);
  }
  app.boxes[kind] = box;
  Show(box);
  Journal(std::string("show box=") + BoxName(kind));
}

void CloseBox(BoxKind kind) {
  if (!app.boxes[kind]) return;
  DestroyWindow(app.boxes[kind]);
  app.boxes[kind] = nullptr;
  Journal(std::string("close box=") + BoxName(kind));
}

void Quit() {
  if (app.quitting) return;
  app.quitting = true;
  Journal("exit");
  PostQuitMessage(0);
}

// No message loop from here on, so that the system sees the windows as hung; ending the process still works.
[[noreturn]] void Hang() {
  Journal("hang");
  for (;;) Sleep(INFINITE);
}

void OnBoxCommand(BoxKind kind, int id, HWND control) {
  if (!control) {
    // Escape or the close box: the box goes without an answer.
    if (id == IDCANCEL) CloseBox(kind);
    return;
  }
  Journal(std::string("click box=") + BoxName(kind) + " button=" + ButtonName(id));
  if (kind == BoxNetworkPrompt && id == IDOK) SetConnected(true);
  if (kind == BoxConnected && id == IDYES) SetConnected(false);
  CloseBox(kind);
}

void OnMainCommand(WPARAM wParam) {
  Journal("command " + std::to_string(static_cast<unsigned long long>(wParam)));
  if (wParam != kConnectCommand) return;
  if (app.connected) {
    ShowBox(BoxConnected);
  } else {
    SetConnected(true);
  }
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    return FALSE;  // no focus: the windows appear without being activated
  }
  auto* info = reinterpret_cast<WindowInfo*>(GetWindowLongPtrW(window, DWLP_USER));
  if (!info) return FALSE;
  switch (message) {
    case WM_COMMAND:
      if (info->role == Role::Box && HIWORD(wParam) == BN_CLICKED) {
        OnBoxCommand(info->box, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
      } else if (info->role == Role::Main && lParam == 0) {
        OnMainCommand(wParam);
      }
      return TRUE;
    case WM_CLOSE:
      if (info->role == Role::Box) {
        CloseBox(info->box);
      } else if (info->role == Role::Main || info->role == Role::Panel) {
        Quit();
      }
      return TRUE;
    case kSyncMessage:
      Journal("sync");
      return TRUE;
  }
  return FALSE;
}

// The panel's connect control: a press and a release on it is one click, as on the real dialer.
LRESULT CALLBACK ConnectControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      SetWindowLongPtrW(window, GWLP_USERDATA, 1);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_LBUTTONUP:
      if (GetWindowLongPtrW(window, GWLP_USERDATA)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        InvalidateRect(window, nullptr, TRUE);
        Journal("click connect-control");
        SetConnected(!app.connected);
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT r;
      GetClientRect(window, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      const bool pressed = GetWindowLongPtrW(window, GWLP_USERDATA) != 0;
      COLORREF fill = app.connected ? RGB(46, 160, 67) : RGB(30, 110, 200);
      if (pressed) fill = RGB(GetRValue(fill) / 2, GetGValue(fill) / 2, GetBValue(fill) / 2);
      HBRUSH brush = CreateSolidBrush(fill);
      HGDIOBJ oldBrush = SelectObject(dc, brush);
      HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
      RoundRect(dc, r.left, r.top, r.right, r.bottom, 24, 24);
      SelectObject(dc, oldPen);
      SelectObject(dc, oldBrush);
      DeleteObject(brush);
      HGDIOBJ oldFont = SelectObject(dc, app.bigFont);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      DrawTextW(dc, Wide(app.connected ? app.texts->disconnect : app.texts->connect).c_str(), -1, &r,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, oldFont);
      EndPaint(window, &paint);
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void CreatePanel() {
  const Texts& t = *app.texts;
  app.panel = CreateDialogWindow(nullptr, kTopStyle, t.title, {20, 20}, 300, 400, &panelInfo);
  if (!app.panel) return;
  AddChild(app.panel, L"Static", t.title, SS_CENTER, {20, 20, 280, 60}, 101, app.bigFont);
  if (app.options.connectControl) {
    app.connectControl = AddChild(app.panel, kControlClass, "", 0, {40, 190, 260, 260}, 102);
  }
  // The status line is also the marker: it covers client point (70, 320).
  app.panelStatus = AddChild(app.panel, L"Static", t.offline, SS_CENTER, {20, 300, 280, 340}, 103);
  ShowState();
  if (app.options.panelHidden) {
    Journal("show panel-hidden");
  } else {
    Show(app.panel);
    Journal("show panel");
  }
}

void CreateMain() {
  const Texts& t = *app.texts;
  app.main = CreateDialogWindow(nullptr, kTopStyle, t.title, {340, 20}, 380, 220, &mainInfo);
  if (!app.main) return;
  app.mainStatus = AddChild(app.main, L"Static", t.statusOffline, SS_LEFT, {12, 12, 368, 32}, 101);
  app.mainEvents = AddChild(app.main, L"Static", "", SS_LEFT | SS_NOPREFIX, {12, 40, 368, 208}, 102);
  ShowState();
  Show(app.main);
  Journal("show main");
}

void ShowDetection() {
  if (app.detect) return;
  app.detect = CreateDialogWindow(BoxOwner(), kBoxStyle, app.texts->promptTitle, {20, 470}, 240, 70, &detectInfo);
  if (!app.detect) return;
  AddChild(app.detect, L"Static", app.texts->detecting, SS_CENTER, {20, 25, 220, 45}, 100);
  Show(app.detect);
  Journal("show detect");
}

void CloseDetection() {
  if (!app.detect) return;
  DestroyWindow(app.detect);
  app.detect = nullptr;
  Journal("close detect");
}

// What happens when, in milliseconds after start; entries of equal time keep their order.
struct Step {
  int at;
  void (*run)(int argument);
  int argument;
};

std::vector<Step> schedule;
DWORD startTick = 0;

void RunDueSteps() {
  const DWORD elapsed = GetTickCount() - startTick;
  while (!schedule.empty() && static_cast<DWORD>(schedule.front().at) <= elapsed) {
    const Step step = schedule.front();
    schedule.erase(schedule.begin());
    step.run(step.argument);
  }
}

UINT_PTR stepTimer = 0;

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);

// One timer, due when the next step is: an idle simulator takes no CPU time between its steps.
void ArmTimer() {
  if (stepTimer) KillTimer(nullptr, stepTimer);
  stepTimer = 0;
  if (schedule.empty()) return;
  const int elapsed = static_cast<int>(GetTickCount() - startTick);
  const int wait = schedule.front().at - elapsed;
  stepTimer = SetTimer(nullptr, 0, wait > 1 ? static_cast<UINT>(wait) : 1, OnTick);
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
  RunDueSteps();
  ArmTimer();
}

// A step some time from now, after the steps already due by then.
void AddStep(int fromNow, void (*run)(int), int argument) {
  const int at = static_cast<int>(GetTickCount() - startTick) + fromNow;
  auto place = schedule.begin();
  while (place != schedule.end() && place->at <= at) ++place;
  schedule.insert(place, Step{at, run, argument});
}

// Chaos mode. xorshift: the same seed gives the same run of events.
unsigned chaosState = 1;

unsigned Random(unsigned below) {
  chaosState ^= chaosState << 13;
  chaosState ^= chaosState >> 17;
  chaosState ^= chaosState << 5;
  return chaosState % below;
}

// Windows owned by a closing window go with it: close them first, so the journal tells of them.
void CloseOwnedBy(HWND owner) {
  for (int kind = 0; kind < BoxKindCount; ++kind) {
    if (app.boxes[kind] && GetWindow(app.boxes[kind], GW_OWNER) == owner) CloseBox(static_cast<BoxKind>(kind));
  }
  if (app.detect && GetWindow(app.detect, GW_OWNER) == owner) CloseDetection();
}

void CloseMain() {
  CloseOwnedBy(app.main);
  HWND main = app.main;
  app.main = app.mainStatus = app.mainEvents = nullptr;
  DestroyWindow(main);
  Journal("close main");
}

void ClosePanel() {
  CloseOwnedBy(app.panel);
  HWND panel = app.panel;
  app.panel = app.panelStatus = app.connectControl = nullptr;
  DestroyWindow(panel);
  Journal("close panel");
}

void ChaosEvent(int) {
  if (app.quitting) return;
  if (Random(1000) < static_cast<unsigned>(app.options.chaosExit)) {
    Journal("chaos-exit");
    Quit();
    return;
  }
  const unsigned action = Random(BoxKindCount + 3);
  const int reopenIn = 200 + static_cast<int>(Random(1800));
  if (action < BoxKindCount) {
    const BoxKind kind = static_cast<BoxKind>(action);
    if (app.boxes[kind]) {
      CloseBox(kind);
    } else {
      ShowBox(kind);
    }
  } else if (action == BoxKindCount) {
    if (app.detect) {
      CloseDetection();
    } else {
      ShowDetection();
    }
  } else if (action == BoxKindCount + 1) {
    // Never both top-level windows at once: a dialer with no window would look as if it had quit.
    if (app.main && app.panel) {
      CloseMain();
      AddStep(reopenIn, [](int) { CreateMain(); }, 0);
    }
  } else if (app.panel && app.main) {
    ClosePanel();
    AddStep(reopenIn, [](int) { CreatePanel(); }, 0);
  }
  const int every = app.options.chaosEvery;
  AddStep(every / 2 + static_cast<int>(Random(static_cast<unsigned>(every) + 1)), ChaosEvent, 0);
}

void BuildSchedule() {
  const Options& o = app.options;
  std::vector<Step> steps;
  if (o.mainAt != kNever) steps.push_back({o.mainAt, [](int) { CreateMain(); }, 0});
  if (o.panelAt != kNever) steps.push_back({o.panelAt, [](int) { CreatePanel(); }, 0});
  if (o.detectAt != kNever) {
    steps.push_back({o.detectAt, [](int) { ShowDetection(); }, 0});
    steps.push_back({o.detectAt + o.detectFor, [](int) { CloseDetection(); }, 0});
  }
  for (int kind = 0; kind < BoxKindCount; ++kind) {
    if (o.boxAt[kind] != kNever) steps.push_back({o.boxAt[kind], [](int k) { ShowBox(static_cast<BoxKind>(k)); }, kind});
  }
  if (o.exitAfter != kNever) steps.push_back({o.exitAfter, [](int) { Quit(); }, 0});
  if (o.chaos) steps.push_back({o.chaosEvery, ChaosEvent, 0});
  if (o.hangAfter != kNever) steps.push_back({o.hangAfter, [](int) { Hang(); }, 0});
  // Stable: a main window due at the same time as the boxes comes first and owns them.
  for (size_t i = 1; i < steps.size(); ++i) {
    for (size_t j = i; j > 0 && steps[j - 1].at > steps[j].at; --j) std::swap(steps[j - 1], steps[j]);
  }
  schedule = steps;
}

std::wstring ProgramDirectory() {
  std::vector<wchar_t> path(32768);
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring directory(path.data(), length < path.size() ? length : 0);
  const size_t slash = directory.find_last_of(L"\\/");
  directory.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return directory;
}

std::string ReadFile(const std::wstring& path) {
  std::string text;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return text;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
  std::fclose(file);
  return text;
}

// A GUI program has no console of its own: use the caller's, or else a message box. The text is GBK.
void Tell(const std::string& text, bool error) {
  HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD written = 0;
  if (out && out != INVALID_HANDLE_VALUE &&
      WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    return;
  }
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
      WriteFile(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      CloseHandle(console);
      return;
    }
  }
  MessageBoxW(nullptr, Wide(text).c_str(), L"dialer-sim", error ? MB_ICONERROR : MB_ICONINFORMATION);
}

bool RegisterConnectControl() {
  WNDCLASSW wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = ConnectControlProc;
  wc.hInstance = app.instance;
  wc.hCursor = LoadCursor(nullptr, IDC_HAND);
  wc.lpszClassName = kControlClass;
  return RegisterClassW(&wc) != 0;
}

int Run(HINSTANCE instance) {
  app.instance = instance;
  const std::wstring directory = ProgramDirectory();
  // The options file is GBK, as the texts are; the command line comes in UTF-16, so that no path is lost.
  std::vector<std::string> args = SplitArguments(Narrow(Wide(ReadFile(directory + kArgsFile)), CP_UTF8));
  for (int i = 1; i < __argc; ++i) args.push_back(Narrow(__wargv[i], CP_UTF8));

  std::string error;
  if (!ParseOptions(args, &app.options, &error)) {
    Tell("dialer-sim: " + GbkFromUtf8(error) + "\r\n\r\n" + kHelpText, true);
    return 2;
  }
  if (app.options.help) {
    Tell(kHelpText, false);
    return 0;
  }
  app.texts = app.options.english ? &EnglishTexts() : &ChineseTexts();
  app.journalPath = app.options.journal.empty() ? directory + kJournalFile : Wide(app.options.journal, CP_UTF8);
  app.connected = app.options.startConnected;

  std::string joined;
  for (const std::string& arg : args) joined += (joined.empty() ? "" : " ") + arg;
  Journal("start pid=" + std::to_string(static_cast<unsigned long>(GetCurrentProcessId())) +
          " lang=" + (app.options.english ? "en" : "zh") + " args=" + GbkFromUtf8(joined));

  if (!RegisterConnectControl()) return 1;
  app.bigFont = CreateFontW(-22, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                            app.options.english ? DEFAULT_CHARSET : GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, app.options.english ? L"Arial" : L"SimHei");
  if (app.options.promptOwner == PromptOwner::Other) {
    app.other = CreateDialogWindow(nullptr, kTopStyle, app.texts->otherTitle, {700, 20}, 200, 100, &otherInfo);
  }

  if (app.options.chaos) {
    // Seed 0: a seed from the clock, written to the journal so that the run can be repeated.
    chaosState = app.options.chaosSeed ? app.options.chaosSeed : (GetTickCount() ^ GetCurrentProcessId()) | 1;
    Journal("chaos seed=" + std::to_string(chaosState) + " every=" + std::to_string(app.options.chaosEvery) +
            " exit=" + std::to_string(app.options.chaosExit));
  }
  startTick = GetTickCount();
  BuildSchedule();
  RunDueSteps();
  ArmTimer();

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageW(root, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DeleteObject(app.bigFont);
  return 0;
}

}  // namespace
}  // namespace sim

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) { return sim::Run(instance); }
