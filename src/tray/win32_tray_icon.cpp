#include "tray/win32_tray_icon.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

#include "platform/gbk_text.h"
#include "platform/win32_text.h"
#include "resource.h"

namespace zemvar {

HICON LoadIconSized(int id, int size) {
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
}

BOOL WINAPI AllowMessageFromFewerRights(HWND window, UINT message) {
  using FilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD of the older call
  HMODULE user32 = GetModuleHandleA("user32.dll");
  static const auto filterEx = reinterpret_cast<FilterExFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
  static const auto filter = reinterpret_cast<FilterFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "ChangeWindowMessageFilter")));
  if (filterEx) return filterEx(window, message, kAllow, nullptr);
  if (filter) return filter(message, kAllow);
  return TRUE;
}

TrayIcon::TrayIcon(const HostSeams& seams, EventLog& log)
    : seams_(seams), log_(log), taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
  LoadIcons();
}

TrayIcon::~TrayIcon() {
  if (normalIcon_) DestroyIcon(normalIcon_);
  if (alertIcon_) DestroyIcon(alertIcon_);
}

// The shell keeps its own copy of what it shows, so the old images can go at once.
void TrayIcon::LoadIcons() {
  const int size = GetSystemMetrics(SM_CXSMICON);
  if (size == iconSize_) return;
  HICON normal = LoadIconSized(IDI_STATUS_NORMAL, size);
  HICON alert = LoadIconSized(IDI_STATUS_ALERT, size);
  if (!normal || !alert) {
    // The ones loaded before serve on.
    if (normal) DestroyIcon(normal);
    if (alert) DestroyIcon(alert);
    return;
  }
  if (normalIcon_) DestroyIcon(normalIcon_);
  if (alertIcon_) DestroyIcon(alertIcon_);
  normalIcon_ = normal;
  alertIcon_ = alert;
  iconSize_ = size;
}

void TrayIcon::Add(HWND owner) {
  std::memset(&record_, 0, sizeof record_);
  record_.cbSize = NOTIFYICONDATAW_V1_SIZE;
  record_.hWnd = owner;
  record_.uID = kTrayIconId;
  // Run elevated, the tool would otherwise never hear of its icon's clicks or of Explorer's restart.
  const std::pair<UINT, const char*> fromExplorer[] = {{taskbarCreated_, "TaskbarCreated"},
                                                       {kTrayNotifyMessage, "the icon's clicks"}};
  for (const auto& [message, what] : fromExplorer) {
    if (message && !seams_.allowMessage(owner, message)) {
      log_.Write(WithError((std::string(what) + " not let in from Explorer").c_str(), GetLastError()));
    }
  }
  Ask();
}

bool TrayIcon::Show(int status) {
  if (!status_.Accept(status)) return false;
  if (shown_ && !Update(NIM_MODIFY)) {
    log_.Write(WithError("tray icon lost", GetLastError()));
    shown_ = false;
    Ask();
  }
  return true;
}

bool TrayIcon::HandleMessage(UINT message, WPARAM wParam) {
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    // The notification area was rebuilt (Explorer restarted, or the dpi changed): without this the tool
    // would be unreachable.
    LoadIcons();
    Ask();
    return true;
  }
  if (message == WM_TIMER && wParam == kIconRetryTimerId) {
    if (!shown_) Ask();
    return true;
  }
  return false;
}

void TrayIcon::OnCheckTick() {
  if (!shown_ && refusals_ > 0 && seams_.tickCount() - firstRefusal_ >= kIconRetryFastForMs) Ask();
}

void TrayIcon::Remove() {
  removed_ = true;
  StopRetry();
  Update(NIM_DELETE);
  shown_ = false;
}

// At logon the taskbar may not be ready: the shell refuses the add, or times it out. Ask again until it
// takes the icon, at first every few seconds, then at each check.
void TrayIcon::Ask() {
  if (removed_) return;
  const bool added = Update(NIM_ADD);
  const DWORD error = GetLastError();
  // An add refused because the icon is still there (a dpi change, a timed-out add that went through
  // after all) leaves it to a modify.
  if (added || Update(NIM_MODIFY)) {
    if (refusals_ > 0) log_.Write("tray icon taken after " + std::to_string(refusals_) + " refusals");
    StopRetry();
    shown_ = true;
    refusals_ = 0;
    return;
  }
  shown_ = false;
  const DWORD now = seams_.tickCount();
  if (refusals_++ == 0) {
    firstRefusal_ = now;
    log_.Write(WithError("tray icon refused", error) + "; asking again every 2 s");
  }
  if (now - firstRefusal_ < kIconRetryFastForMs) {
    seams_.setTimer(record_.hWnd, kIconRetryTimerId, kIconRetryMs, nullptr);
    retrying_ = true;
  } else if (retrying_) {
    StopRetry();
    log_.Write(WithError("tray icon still refused", error) + "; asking again at each check");
  }
}

void TrayIcon::StopRetry() {
  if (!retrying_) return;
  seams_.killTimer(record_.hWnd, kIconRetryTimerId);
  retrying_ = false;
}

bool TrayIcon::Update(DWORD message) {
  const int status = status_.Get();
  // The tooltip is held to the 63 GBK bytes the A record's first version took, whole characters only.
  const char* text = StatusText(status);
  const WideText tip = WideFromGbk(std::string(text, GbkPrefixLength(text, std::strlen(text), 63)));
  std::memset(record_.szTip, 0, sizeof record_.szTip);
  std::wcsncpy(record_.szTip, tip.data(), sizeof record_.szTip / sizeof record_.szTip[0] - 1);
  record_.hIcon = StatusShowsAlert(status) ? alertIcon_ : normalIcon_;
  record_.uCallbackMessage = kTrayNotifyMessage;
  record_.uFlags = message == NIM_DELETE ? NIF_ICON : (NIF_MESSAGE | NIF_ICON | NIF_TIP);
  return seams_.notify(message, &record_) != FALSE;
}

}  // namespace zemvar
