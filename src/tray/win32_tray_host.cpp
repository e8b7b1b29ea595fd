#include "tray/win32_tray_host.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "resource.h"
#include "about/about_box.h"
#include "about/about_rules.h"
#include "dialer/win32_desktop.h"
#include "settings/win32_settings_store.h"

namespace zemvar {
namespace {

// Lives as long as the process: a worker may still run after the host has gone.
HungDialerWatch hungWatch;

int RunRealCheck(void*, std::vector<std::string>* notes) {
  Win32CheckEnvironment environment;
  CheckEnvironment e = environment.Get();
  e.notes = notes;
  e.hungWatch = &hungWatch;
  return RunConnectionCheck(e);
}

// A worker knows only the host's window: it never holds the host, so a late worker cannot touch it, and a
// post to a window that has gone is lost harmlessly.
struct WorkerOrder {
  HWND host;
  CheckFunction check;
  void* checkContext;
};

void PostStatus(int status, std::vector<std::string>* notes, void* host) {
  auto* carried = notes->empty() ? nullptr : new std::vector<std::string>(std::move(*notes));
  if (!PostMessageA(static_cast<HWND>(host), kCheckDoneMessage, static_cast<WPARAM>(status),
                    reinterpret_cast<LPARAM>(carried))) {
    delete carried;
  }
}

// An open About box runs a loop of its own inside the host's; it must end too, or the host's never would.
BOOL CALLBACK CloseOwnedBox(HWND window, LPARAM host) {
  if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(host)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

std::string WithError(const char* what, DWORD error) {
  char text[160];
  std::snprintf(text, sizeof text, "%s: error %lu", what, static_cast<unsigned long>(error));
  return text;
}

DWORD WINAPI CheckWorker(void* parameter) {
  const WorkerOrder order = *static_cast<WorkerOrder*>(parameter);
  delete static_cast<WorkerOrder*>(parameter);
  return RunGuardedCheck(checkBusy, order.check, order.checkContext, PostStatus, order.host) ? 1 : 0;
}

std::string ModulePath() {
  char path[kMaxPathBuffer] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  // A path that filled the buffer may have been cut short.
  if (length == 0 || length >= sizeof path) return std::string();
  return path;
}

}  // namespace

TrayHostDialog::TrayHostDialog() : TrayHostDialog(Seams()) {}

TrayHostDialog::TrayHostDialog(const Seams& seams)
    : ui::Dialog(IDD_HOST), seams_(seams), profile_(seams.profile), runKey_(seams.runKey) {
  if (!seams_.check) seams_.check = RunRealCheck;
  if (seams_.modulePath.empty()) seams_.modulePath = ModulePath();
  if (!profile_) profile_ = ownProfile_ = new Win32ProfileFile;
  if (!runKey_) runKey_ = ownRunKey_ = new Win32RunKey;
  if (!seams_.logFiles) seams_.logFiles = &ownLogFiles_;
  if (!seams_.clock) seams_.clock = &ownClock_;
  normalIcon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_STATUS_NORMAL));
  alertIcon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_STATUS_ALERT));
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  settings_ = LoadSettings(*profile_, seams_.modulePath);
  if (seams_.check == RunRealCheck) hungWatch.SetRestartAfter(settings_.restartHung);
  std::string logPath;
  if (settings_.log && LogPathFor(seams_.modulePath, &logPath)) log_ = EventLog(*seams_.logFiles, *seams_.clock, logPath);
}

TrayHostDialog::~TrayHostDialog() {
  // The window goes before the seams it may still call.
  Destroy();
  delete ownProfile_;
  delete ownRunKey_;
}

BOOL TrayHostDialog::OnInitDialog() {
  // What a framework window does on creation, which a dialog procedure never sees.
  SetParent(hwnd(), GetDesktopWindow());
  ShowWindow(hwnd(), SW_HIDE);
  std::memset(&trayData_, 0, sizeof trayData_);
  trayData_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  trayData_.hWnd = hwnd();
  trayData_.uID = kTrayIconId;
  log_.Write(StartEvent(settings_));
  ShowIcon();

  char aboutItem[128] = {};
  if (LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUT_ITEM, aboutItem, sizeof aboutItem) > 0) {
    AppendSystemMenuItem(IDM_SYS_ABOUT, aboutItem);
  }
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(normalIcon_));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(normalIcon_));
  StartCheck();
  StartTimer();
  return TRUE;
}

INT_PTR TrayHostDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    // The notification area was rebuilt (Explorer restarted): without this the tool would be unreachable.
    iconRefusals_ = 0;
    ShowIcon();
    return FALSE;
  }
  switch (message) {
    case WM_SYSCOMMAND:
      if (IsAboutSystemCommand(static_cast<unsigned>(wParam))) {
        ShowAboutBox(hwnd());
        return TRUE;
      }
      return FALSE;
    case WM_PAINT:
      if (!IsIconic(hwnd())) return FALSE;
      Paint();
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(normalIcon_);
    case WM_TIMER:
      if (wParam == kIconRetryTimerId) {
        if (!iconShown_) ShowIcon();
      } else if (wParam == kResumeTimerId) {
        seams_.killTimer(hwnd(), kResumeTimerId);
        if (!checkBusy.Busy()) StartCheck();
      } else if (wParam == timerId_ && timerId_ != 0) {
        // Past the first minutes of refusals the icon is asked for at each check.
        if (!iconShown_ && iconRefusals_ > 0 && seams_.tickCount() - firstRefusal_ >= kIconRetryFastForMs) ShowIcon();
        StartCheck();
      }
      return FALSE;
    case kTrayNotifyMessage:
      if (OpensTrayMenu(wParam, lParam)) ShowTrayMenu();
      return TRUE;
    case kCheckDoneMessage: {
      std::unique_ptr<std::vector<std::string>> notes(reinterpret_cast<std::vector<std::string>*>(lParam));
      if (exiting_ || static_cast<int>(wParam) == StatusHeld) return TRUE;
      if (notes) {
        for (const std::string& note : *notes) log_.Write(note);
      }
      ShowStatus(static_cast<int>(wParam));
      return TRUE;
    }
    case WM_QUERYENDSESSION:
      OnSessionEnd(true);
      SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_ENDSESSION:
      OnSessionEnd(wParam != FALSE);
      if (wParam) {
        log_.Write("session end");
        Exit();
        EndMenu();
        EnumThreadWindows(GetCurrentThreadId(), CloseOwnedBox, reinterpret_cast<LPARAM>(hwnd()));
      }
      SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, 0);
      return TRUE;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC) OnResume();
      SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    default:
      return ui::Dialog::HandleMessage(message, wParam, lParam);
  }
}

bool TrayHostDialog::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case ID_TRAY_SETTINGS:
      ShowSettings();
      return true;
    case ID_TRAY_ABOUT:
      ShowAboutBox(hwnd());
      return true;
    case IDC_SAVE:
      SaveSettings();
      return true;
    case IDC_DISCARD:
      OnCancel();
      return true;
    case ID_TRAY_EXIT:
      Exit();
      return true;
    default:
      return ui::Dialog::OnCommand(id, code, control);
  }
}

void TrayHostDialog::Exit() {
  if (!exiting_) log_.Write(kExitEvent);
  exiting_ = true;
  if (timerId_ != 0) seams_.killTimer(hwnd(), timerId_);
  timerId_ = 0;
  seams_.killTimer(hwnd(), kIconRetryTimerId);
  seams_.killTimer(hwnd(), kResumeTimerId);
  UpdateTrayIcon(NIM_DELETE);
  iconShown_ = false;
  EndModalLoop(IDCANCEL);
}

// At logon the taskbar may not be ready: the shell refuses the add, or times it out. Ask again until it
// takes the icon, at first every few seconds, then at each check.
void TrayHostDialog::ShowIcon() {
  if (exiting_) return;
  const bool added = UpdateTrayIcon(NIM_ADD);
  const DWORD error = GetLastError();
  // An add refused because the icon is still there (a DPI change, a timed-out add that went through
  // after all) leaves it to a modify.
  if (added || UpdateTrayIcon(NIM_MODIFY)) {
    if (iconRefusals_ > 0) {
      log_.Write("tray icon taken after " + std::to_string(iconRefusals_) + " refusals");
      seams_.killTimer(hwnd(), kIconRetryTimerId);
    }
    iconShown_ = true;
    iconRefusals_ = 0;
    return;
  }
  iconShown_ = false;
  const DWORD now = seams_.tickCount();
  if (iconRefusals_++ == 0) {
    firstRefusal_ = now;
    log_.Write(WithError("tray icon refused", error) + "; asking again every 2 s");
  }
  if (now - firstRefusal_ < kIconRetryFastForMs) {
    seams_.setTimer(hwnd(), kIconRetryTimerId, kIconRetryMs, nullptr);
  } else if (seams_.killTimer(hwnd(), kIconRetryTimerId)) {
    log_.Write(WithError("tray icon still refused", error) + "; asking again at each check");
  }
}

void TrayHostDialog::ShowStatus(int status) {
  if (!shown_.Accept(status)) return;
  if (iconShown_ && !UpdateTrayIcon(NIM_MODIFY)) {
    // The shell no longer knows the icon: it was lost, so it is added again.
    log_.Write(WithError("tray icon lost", GetLastError()));
    iconShown_ = false;
    iconRefusals_ = 0;
    ShowIcon();
  }
  log_.Write(StatusEvent(shown_.Get()));
}

// Windows is ending the session: nothing may start now, and the tool must go quickly when it ends.
void TrayHostDialog::OnSessionEnd(bool ending) {
  if (ending == sessionEnding_) return;
  sessionEnding_ = ending;
  launchesHeld = ending;
  log_.Write(ending ? "session ending" : "session end cancelled");
}

// Back from sleep: one check once the card is back, however many resumes arrive.
void TrayHostDialog::OnResume() {
  if (exiting_ || sessionEnding_) return;
  log_.Write("resume");
  seams_.setTimer(hwnd(), kResumeTimerId, kResumeGraceMs, nullptr);
}

bool TrayHostDialog::UpdateTrayIcon(DWORD message) {
  const int status = shown_.Get();
  const char* text = StatusText(status);
  // The first version of the record holds 64 tooltip bytes.
  std::memset(trayData_.szTip, 0, sizeof trayData_.szTip);
  std::strncpy(trayData_.szTip, text, 63);
  trayData_.hIcon = StatusShowsAlert(status) ? alertIcon_ : normalIcon_;
  trayData_.uCallbackMessage = kTrayNotifyMessage;
  trayData_.uFlags = message == NIM_DELETE ? NIF_ICON : (NIF_MESSAGE | NIF_ICON | NIF_TIP);
  return seams_.notify(message, &trayData_) != FALSE;
}

void TrayHostDialog::StartCheck() {
  if (sessionEnding_ || exiting_) return;
  auto* order = new WorkerOrder{hwnd(), seams_.check, seams_.checkContext};
  HANDLE thread = seams_.createThread(nullptr, 0, CheckWorker, order, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
  } else {
    log_.Write(WithError("check thread not started", GetLastError()));
    delete order;
  }
}

void TrayHostDialog::StartTimer() {
  timerId_ = seams_.setTimer(hwnd(), kCheckTimerId, TimerIntervalMs(settings_.seconds), nullptr);
  if (!timerId_) log_.Write(WithError("check timer not started", GetLastError()));
}

void TrayHostDialog::ShowTrayMenu() {
  POINT cursor;
  GetCursorPos(&cursor);
  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu, 0);
  if (popup) {
    SetMenuDefaultItem(popup, ID_TRAY_SETTINGS, FALSE);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd());
    TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, hwnd(), nullptr);
    SetForegroundWindow(hwnd());
    PostMessageA(hwnd(), WM_NULL, 0, 0);
  }
  DestroyMenu(menu);
}

void TrayHostDialog::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(hwnd(), &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, normalIcon_);
  EndPaint(hwnd(), &paint);
}

}  // namespace zemvar
