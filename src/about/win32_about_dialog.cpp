#include "about/win32_about_dialog.h"

#include <shellapi.h>

#include "about/about_box.h"
#include "about/about_rules.h"
#include "platform/win32_text.h"
#include "resource.h"

namespace zemvar {

AboutDialog::AboutDialog() : ui::Dialog(IDD_ABOUT) {}

BOOL AboutDialog::OnInitDialog() {
  emailLink_.Attach(GetDlgItem(hwnd(), IDC_EMAIL_LINK));
  emailLink_.SetHyperlink(TRUE, TRUE);
  emailLink_.SetForegroundColor(RGB(0, 0, 255));
  emailLink_.SetUnderlined(TRUE);
  emailLink_.SetHoverCursor(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_CURSOR)));
  return TRUE;
}

bool AboutDialog::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_EMAIL_LINK) {
    if (code == STN_CLICKED) OnEmailLinkClicked();
    return true;
  }
  return ui::Dialog::OnCommand(id, code, control);
}

void AboutDialog::OnEmailLinkClicked() {
  ShellExecuteW(hwnd(), L"open", WideFromGbk(kAuthorMailto).data(), nullptr, nullptr, SW_SHOW);
}

INT_PTR AboutDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Only top-level windows hear of colour changes; the label repaints its own background.
  if (message == WM_SYSCOLORCHANGE && emailLink_.hwnd()) {
    SendMessageW(emailLink_.hwnd(), WM_SYSCOLORCHANGE, wParam, lParam);
  }
  return ui::Dialog::HandleMessage(message, wParam, lParam);
}

namespace {

// The box now open, on the one user-interface thread.
AboutDialog* openBox = nullptr;

}  // namespace

void ShowAboutBox(HWND owner) {
  if (openBox) {
    SetForegroundWindow(openBox->hwnd());
    return;
  }
  AboutDialog dialog;
  openBox = &dialog;
  dialog.DoModal(owner);
  openBox = nullptr;
}

void CloseAboutBox() {
  if (openBox) openBox->EndModalLoop(IDCANCEL);
}

}  // namespace zemvar
