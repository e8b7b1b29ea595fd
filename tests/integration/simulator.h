// Drives the dialer simulator for a test: a scratch folder with its own copy of the program, its
// options file and journal; starting, synchronising with and stopping it; and the install record.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zemvar {
namespace testing {

class Simulator {
 public:
  // Prepares "<test folder>\sim work\<name>\" (the space is on purpose) with a fresh copy of the program.
  explicit Simulator(const std::string& name);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  const std::string& Folder() const { return folder_; }
  bool ready() const { return ready_; }

  // Options for a start by someone else (the check), read from "dialer-sim.args".
  bool WriteArgs(const std::string& args);
  // Starts the program with the options.
  bool Launch(const std::string& args);
  // Launches it and waits until every window due at once is shown.
  bool Start(const std::string& args);
  // Waits until the program has handled everything posted to it so far.
  bool Sync();
  // Waits until the journal holds this line.
  bool WaitFor(const std::string& line, DWORD timeoutMs);
  std::vector<std::string> Journal() const;
  // The clicks and commands the program received, in order.
  std::vector<std::string> Actions() const;
  // Waits until the program has ended by itself, whether or not it was still there when asked.
  bool WaitForExit(DWORD timeoutMs) const;
  // The program's main window or panel.
  HWND Window() const;
  // Ends the program, whoever started it.
  void Stop();

 private:
  DWORD Pid() const;

  std::string folder_;
  bool ready_ = false;
  HANDLE process_ = nullptr;  // the program this object launched
};

// HKLM\SOFTWARE\China Mobile\eWalk in the 32-bit view, as the dialer's installer leaves it.
bool SetInstallRecord(const std::string& exePath, const std::string& exeName);
void RemoveInstallRecord();

// Ends every process that shows a dialer window, so that leftovers cannot take part in a check.
void EndStrayDialers();

// The simulator's main window or panel, once it is there.
HWND FindDialerWindow(DWORD pid);

}  // namespace testing
}  // namespace zemvar
