#include "ui/win32_dialog.h"

namespace zemvar::ui {

Dialog::~Dialog() { Destroy(); }

bool Dialog::CreateModeless(HWND owner) {
  if (hwnd_) return true;
  CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner, Procedure,
                     reinterpret_cast<LPARAM>(this));
  return hwnd_ != nullptr;
}

INT_PTR Dialog::RunModalLoop() {
  inModalLoop_ = true;
  MSG msg;
  while (inModalLoop_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // WM_QUIT belongs to the outer loop; pass it on after leaving ours.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  inModalLoop_ = false;
  return modalResult_;
}

void Dialog::EndModalLoop(INT_PTR result) {
  modalResult_ = result;
  inModalLoop_ = false;
  // Wake the loop, which may be waiting for a message.
  if (hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

INT_PTR Dialog::DoModal(HWND owner) {
  if (!CreateModeless(owner)) return -1;
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  const INT_PTR result = RunModalLoop();
  // Re-enable the owner before the dialog goes, so activation returns to it.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  Destroy();
  return result;
}

void Dialog::Destroy() {
  if (!hwnd_) return;
  HWND window = hwnd_;
  hwnd_ = nullptr;
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), nullptr) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

bool Dialog::OnCommand(WORD id, WORD, HWND) {
  switch (id) {
    case IDOK:
      OnOK();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
    default:
      return false;
  }
}

void Dialog::AppendSystemMenuItem(UINT id, const wchar_t* text) {
  HMENU menu = GetSystemMenu(hwnd_, FALSE);
  if (!menu || !text || !*text) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, id, text);
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

SubclassedControl::~SubclassedControl() { Detach(); }

bool SubclassedControl::Attach(HWND control) {
  if (hwnd_ || !IsWindow(control)) return false;
  hwnd_ = control;
  SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedControl::Procedure)));
  OnAttached();
  return true;
}

void SubclassedControl::Detach() {
  if (!hwnd_) return;
  if (IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  }
  hwnd_ = nullptr;
}

LRESULT SubclassedControl::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(original_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK SubclassedControl::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<SubclassedControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window goes; give it back its own procedure for its last message.
    WNDPROC original = self->original_;
    self->Detach();
    return CallWindowProcW(original, window, message, wParam, lParam);
  }
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace zemvar::ui
