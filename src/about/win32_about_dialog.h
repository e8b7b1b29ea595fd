// The About box: fixed template text and one e-mail link.
#pragma once

#include <windows.h>

#include "about/win32_link_label.h"
#include "ui/win32_dialog.h"

namespace zemvar {

class AboutDialog : public ui::Dialog {
 public:
  AboutDialog();

  LinkLabel& emailLink() { return emailLink_; }

  // Opens a new mail message to the author.
  void OnEmailLinkClicked();

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;

 private:
  LinkLabel emailLink_;
};

}  // namespace zemvar
