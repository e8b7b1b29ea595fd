// Opening the About box, as the tray menu's About item and the host's system menu do.
#pragma once

#include <windows.h>

namespace zemvar {

// Shows the About box modally over owner (which is disabled meanwhile) and returns when it closes. While
// one is open, another call brings it to the front instead.
void ShowAboutBox(HWND owner);
// Ends the open box's loop, if one is open: the tool is exiting and cannot end before it.
void CloseAboutBox();

}  // namespace zemvar
