#include "tray/win32_tray_host.h"

#include <cstring>

#include "resource.h"
#include "about/about_box.h"
#include "about/about_rules.h"
#include "dialer/win32_desktop.h"
#include "settings/win32_settings_store.h"

namespace zemvar {
namespace {

int RunRealCheck(void*) {
  Win32CheckEnvironment environment;
  CheckEnvironment e = environment.Get();
  return RunConnectionCheck(e);
}

// A worker knows only the host's window: it never holds the host, so a late worker cannot touch it, and a
// post to a window that has gone is lost harmlessly.
struct WorkerOrder {
  HWND host;
  CheckFunction check;
  void* checkContext;
};

void PostStatus(int status, void* host) {
  PostMessageA(static_cast<HWND>(host), kCheckDoneMessage, static_cast<WPARAM>(status), 0);
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
  normalIcon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_STATUS_NORMAL));
  alertIcon_ = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_STATUS_ALERT));
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  settings_ = LoadSettings(*profile_, seams_.modulePath);
  std::string logPath;
  if (settings_.log && LogPathFor(seams_.modulePath, &logPath)) log_ = EventLog(logFiles_, clock_, logPath);
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
  UpdateTrayIcon(NIM_ADD);

  char aboutItem[128] = {};
  if (LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUT_ITEM, aboutItem, sizeof aboutItem) > 0) {
    AppendSystemMenuItem(IDM_SYS_ABOUT, aboutItem);
  }
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(normalIcon_));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(normalIcon_));
  log_.Write(StartEvent(settings_));
  StartCheck();
  StartTimer();
  return TRUE;
}

INT_PTR TrayHostDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    // The notification area was rebuilt (Explorer restarted): without this the tool would be unreachable.
    if (!exiting_) UpdateTrayIcon(NIM_ADD);
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
      if (wParam == timerId_ && timerId_ != 0) StartCheck();
      return FALSE;
    case kTrayNotifyMessage:
      if (OpensTrayMenu(wParam, lParam)) ShowTrayMenu();
      return TRUE;
    case kCheckDoneMessage:
      if (!exiting_ && shown_.Accept(static_cast<int>(wParam))) {
        UpdateTrayIcon(NIM_MODIFY);
        log_.Write(StatusEvent(shown_.Get()));
      }
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
  UpdateTrayIcon(NIM_DELETE);
  EndModalLoop(IDCANCEL);
}

void TrayHostDialog::UpdateTrayIcon(DWORD message) {
  const int status = shown_.Get();
  const char* text = StatusText(status);
  // The first version of the record holds 64 tooltip bytes.
  std::memset(trayData_.szTip, 0, sizeof trayData_.szTip);
  std::strncpy(trayData_.szTip, text, 63);
  trayData_.hIcon = StatusShowsAlert(status) ? alertIcon_ : normalIcon_;
  trayData_.uCallbackMessage = kTrayNotifyMessage;
  trayData_.uFlags = message == NIM_DELETE ? NIF_ICON : (NIF_MESSAGE | NIF_ICON | NIF_TIP);
  seams_.notify(message, &trayData_);
}

void TrayHostDialog::StartCheck() {
  auto* order = new WorkerOrder{hwnd(), seams_.check, seams_.checkContext};
  HANDLE thread = seams_.createThread(nullptr, 0, CheckWorker, order, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
  } else {
    delete order;
  }
}

void TrayHostDialog::StartTimer() {
  timerId_ = seams_.setTimer(hwnd(), kCheckTimerId, TimerIntervalMs(settings_.seconds), nullptr);
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
