// One connection check: make sure the dialer runs and is asked to connect, and say how it went.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "dialer/connection_status.h"
#include "dialer/desktop.h"
#include "dialer/dialer_locator.h"
#include "dialer/hung_dialer.h"

namespace zemvar {

// Whether any LAN or WAN connection is alive.
class Network {
 public:
  virtual ~Network() = default;
  virtual bool IsAlive() = 0;
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
  // Counts hung checks across checks and says when to end the dialer. None: a hung dialer is never ended.
  HungDialerWatch* hungWatch = nullptr;
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
