// One pass over the dialer's message boxes, answering each one it recognises, then the connect command.
#pragma once

#include "dialer/connection_status.h"
#include "dialer/desktop.h"

namespace zemvar {

constexpr std::uintptr_t DIALER_CONNECT_COMMAND = 50002;

// The dialer's main window, found by the running check; read by the prompt pass of the same check.
extern WindowId dialerMainWindow;

// Returns StatusOk, StatusNoDevice, StatusNoMainWindow, or StatusRefused at the first refused post.
ConnectionStatus HandleDialerPrompts(Desktop& desktop, Pauses& pauses);

}  // namespace zemvar
