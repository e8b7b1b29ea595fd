#pragma once

namespace zemvar {

// The result of one connection check, shown as the tray icon and tooltip.
enum ConnectionStatus : int {
  StatusOk = 0,
  StatusDialerNotInstalled = 1,
  StatusLaunchFailed = 2,
  StatusDialerNotStarted = 3,
  StatusNoDevice = 4,
  StatusNoMainWindow = 5,
  StatusNoConnectButton = 6,
};

}  // namespace zemvar
