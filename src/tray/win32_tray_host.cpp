#include "tray/win32_tray_host.h"

#include <memory>

#include "resource.h"
#include "about/about_box.h"
#include "about/about_rules.h"
#include "dialer/connection_status.h"

namespace zemvar {
namespace {

EventLog LogFor(const HostSeams& seams, const Settings& settings) {
  std::string path;
  if (!settings.log || !LogPathFor(seams.modulePath, &path)) return EventLog();
  return EventLog(*seams.logFiles, *seams.clock, path);
}

}  // namespace

TrayHostDialog::TrayHostDialog(const Seams& seams)
    : ui::Dialog(IDD_HOST),
      seams_(seams),
      settings_(LoadSettings(*seams.profile, seams.modulePath)),
      log_(LogFor(seams, settings_)),
      trayIcon_(seams_, log_),
      checks_(seams_, log_),
      normalIcon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_STATUS_NORMAL))),
      smallIcon_(LoadIconSized(IDI_STATUS_NORMAL, GetSystemMetrics(SM_CXSMICON))) {}

TrayHostDialog::~TrayHostDialog() {
  // The window goes before the members it may still call, and before its icon.
  Destroy();
  if (smallIcon_) DestroyIcon(smallIcon_);
}

BOOL TrayHostDialog::OnInitDialog() {
  // What a framework window does on creation, which a dialog procedure never sees.
  SetParent(hwnd(), GetDesktopWindow());
  ShowWindow(hwnd(), SW_HIDE);
  log_.Write(StartEvent(settings_));
  if (settings_.autoRun && !StartsAtLogon()) log_.Write("start at logon switched off in Task Manager");
  trayIcon_.Add(hwnd());

  wchar_t aboutItem[128] = {};
  if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUT_ITEM, aboutItem, sizeof aboutItem / sizeof aboutItem[0]) > 0) {
    AppendSystemMenuItem(IDM_SYS_ABOUT, aboutItem);
  }
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(normalIcon_));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_ ? smallIcon_ : normalIcon_));
  checks_.Start(hwnd(), settings_);
  return TRUE;
}

INT_PTR TrayHostDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (trayIcon_.HandleMessage(message, wParam)) return FALSE;
  switch (message) {
    case WM_SYSCOMMAND:
      if (!IsAboutSystemCommand(static_cast<unsigned>(wParam))) return FALSE;
      ShowAbout();
      return TRUE;
    case WM_PAINT:
      if (!IsIconic(hwnd())) return FALSE;
      Paint();
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(normalIcon_);
    case WM_TIMER:
      if (wParam == checks_.timerId()) trayIcon_.OnCheckTick();
      checks_.OnTimer(wParam);
      return FALSE;
    case kTrayNotifyMessage:
      if (OpensTrayMenu(wParam, lParam)) ShowTrayMenu();
      return TRUE;
    case kCheckDoneMessage: {
      const auto notes = CheckNotes(lParam);
      if (exiting_ || static_cast<int>(wParam) == StatusHeld) return TRUE;
      if (notes) {
        for (const std::string& note : *notes) log_.Write(note);
      }
      if (trayIcon_.Show(static_cast<int>(wParam))) log_.Write(StatusEvent(trayIcon_.status()));
      return TRUE;
    }
    case WM_QUERYENDSESSION:
      checks_.SetSessionEnding(true);
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_ENDSESSION:
      checks_.SetSessionEnding(wParam != FALSE);
      if (wParam) {
        log_.Write("session end");
        Exit();
      }
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, 0);
      return TRUE;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC) checks_.OnResume();
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
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
      ShowAbout();
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
  checks_.Stop();
  trayIcon_.Remove();
  // An open menu or About box runs a loop of its own inside ours: ours could not end before theirs.
  EndMenu();
  CloseAboutBox();
  EndModalLoop(IDCANCEL);
}

bool TrayHostDialog::StartsAtLogon() const {
  return settings_.autoRun && !SwitchedOffAtLogon(*seams_.runKey, seams_.modulePath);
}

void TrayHostDialog::ShowAbout() {
  if (!exiting_) ShowAboutBox(hwnd());
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
