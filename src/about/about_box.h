// Opening the About box, as the tray menu's About item and the host's system menu do.
#pragma once

#include <windows.h>

namespace zemvar {

// Shows the About box modally over owner (which is disabled meanwhile) and returns when it closes.
void ShowAboutBox(HWND owner);

}  // namespace zemvar
