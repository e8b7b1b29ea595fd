// The host dialog shown as the settings window.
#include <string>
#include <vector>

#include "platform/win32_text.h"
#include "resource.h"
#include "tray/win32_tray_host.h"

namespace zemvar {

void TrayHostDialog::ShowSettings() {
  SetDlgItemTextW(hwnd(), IDC_SECONDS, WideFromGbk(std::to_string(settings_.seconds)).data());
  SendDlgItemMessageW(hwnd(), IDC_AUTORUN, BM_SETCHECK, StartsAtLogon() ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!placed_) {
    // The template says (0, 0); the first opening centres it on the work area, later ones keep where the
    // user left it.
    RECT work, window;
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) && GetWindowRect(hwnd(), &window)) {
      const Point p = CentredIn(Rect{work.left, work.top, work.right, work.bottom}, window.right - window.left,
                                window.bottom - window.top);
      SetWindowPos(hwnd(), nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    placed_ = true;
  }
  ShowWindow(hwnd(), SW_SHOW);
}

void TrayHostDialog::SaveSettings() {
  const bool on = SendDlgItemMessageW(hwnd(), IDC_AUTORUN, BM_GETCHECK, 0, 0) == BST_CHECKED;
  HWND edit = GetDlgItem(hwnd(), IDC_SECONDS);
  std::vector<wchar_t> wide(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  const int length = GetWindowTextW(edit, wide.data(), static_cast<int>(wide.size()));
  const std::string text = GbkFromWide(wide.data(), static_cast<std::size_t>(length > 0 ? length : 0), wide.size() * 2);
  SaveErrors errors;
  if (StoreSettings(*seams_.profile, *seams_.runKey, seams_.modulePath, on, text.c_str(), &settings_, &errors)) {
    checks_.SetInterval(settings_.seconds);
  }
  log_.Write(SettingsEvent(settings_, errors));
  ShowWindow(hwnd(), SW_HIDE);
}

}  // namespace zemvar
