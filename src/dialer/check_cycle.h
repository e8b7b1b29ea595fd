// One connection check: make sure the dialer runs and is asked to connect, and say how it went.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "dialer/connection_status.h"
#include "dialer/desktop.h"
#include "dialer/dialer_locator.h"
#include "dialer/hung_dialer.h"
#include "dialer/link_probe.h"

namespace zemvar {

// Whether any LAN or WAN connection is alive.
class Network {
 public:
  virtual ~Network() = default;
  virtual bool IsAlive() = 0;
};

// What checks keep from one to the next, on the check's thread. Both watches end the dialer, within one
// spacing.
struct DialerWatches {
  EndSpacing ends;
  HungDialerWatch hung{ends};
  OfflineWatch offline{ends};
};

// Everything a check touches outside itself.
struct CheckEnvironment {
  Desktop& desktop;
  Pauses& pauses;
  Network& network;
  InstallRegistry& registry;
  Launcher& launcher;
  // What the log should tell besides the status, for the user-interface thread to write: the check's
  // thread never touches the file. None: nothing is kept.
  std::vector<std::string>* notes = nullptr;
  // Count hung checks and failed probes across checks, and say when to end the dialer. None: no dialer is
  // ever ended, and no probe tried.
  DialerWatches* watches = nullptr;
  LinkProbe* probe = nullptr;
};

// Set while the session ends: Windows is closing programs, so no check may start one.
extern std::atomic<bool> launchesHeld;

// Bounds of the waits, in tries.
constexpr int kPanelTries = 601;       // one second each
constexpr int kMainWindowTries = 21;   // half a second each
constexpr int kDetectionTries = 61;    // half a second each

ConnectionStatus RunConnectionCheck(CheckEnvironment& environment);

// Whether a dialer window without the marker static is open.
bool FindDialerWithoutMarker(Desktop& desktop);

}  // namespace zemvar
