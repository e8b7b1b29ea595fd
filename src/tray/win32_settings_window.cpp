// The host dialog shown as the settings window.
#include <cstdio>
#include <vector>

#include "resource.h"
#include "tray/win32_tray_host.h"

namespace zemvar {

void TrayHostDialog::ShowSettings() {
  char text[16];
  std::snprintf(text, sizeof text, "%d", settings_.seconds);
  SetDlgItemTextA(hwnd(), IDC_SECONDS, text);
  SendDlgItemMessageA(hwnd(), IDC_AUTORUN, BM_SETCHECK, settings_.autoRun ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!placed_) {
    // The template says (0, 0); the first opening centres it on the work area, later ones keep where the
    // user left it.
    RECT work, window;
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) && GetWindowRect(hwnd(), &window)) {
      const Point p = CentredIn(Rect{work.left, work.top, work.right, work.bottom}, window.right - window.left,
                                window.bottom - window.top);
      SetWindowPos(hwnd(), nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    placed_ = true;
  }
  ShowWindow(hwnd(), SW_SHOW);
}

void TrayHostDialog::SaveSettings() {
  const bool on = SendDlgItemMessageA(hwnd(), IDC_AUTORUN, BM_GETCHECK, 0, 0) == BST_CHECKED;
  HWND edit = GetDlgItem(hwnd(), IDC_SECONDS);
  std::vector<char> text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
  GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
  SaveErrors errors;
  if (StoreSettings(*seams_.profile, *seams_.runKey, seams_.modulePath, on, text.data(), &settings_, &errors)) {
    checks_.SetInterval(settings_.seconds);
  }
  log_.Write(SettingsEvent(settings_, errors));
  ShowWindow(hwnd(), SW_HIDE);
}

}  // namespace zemvar
