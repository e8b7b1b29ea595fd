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
  // The dialer's windows refused our posts: it runs with more rights than the tool.
  StatusRefused = 7,
  // The dialer's main window took no message at the check's start nor at its end.
  StatusHung = 8,
  // All else was well, but the link carried nothing: three probes in a row failed, none connected since.
  StatusOffline = 9,
  // Not a status: keep it after the last one, so that it counts them.
  StatusCount,
  // Not a result to show: the session is ending, and the check stopped short of starting the dialer.
  StatusHeld = -1,
};

}  // namespace zemvar
