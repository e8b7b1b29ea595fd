// The settings (AutoRun, Seconds, Log, RestartHung, Probe, RestartOffline), where they are kept, and the rules
// for reading, normalising and storing them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "dialer/desktop.h"
#include "dialer/link_probe.h"
#include "platform/module_path.h"

namespace zemvar {

constexpr std::size_t kRunNameBuffer = 32;
constexpr int kDefaultSeconds = 30;

// "config.ini" beside the executable.
bool SettingsPathFor(const std::string& modulePath, std::string* path);

// The Run value's name: the executable's file name without its last extension. False when the file name
// does not fit the 32-character name buffer, or nothing would be left of it.
bool RunValueNameFor(const std::string& modulePath, std::string* name);

// The Run value's data: the path, quoted when it holds a space, so that the shell does not start a
// different program at logon (C:\Program.exe for C:\Program Files\...).
std::string RunValueDataFor(const std::string& modulePath);

// Like atoi: leading white space, an optional sign, digits up to the first other character; no digits
// give 0. Saturates at the int range instead of overflowing.
int ParseDecimal(const char* text);

// The interval a saved text stands for: as ParseDecimal, with 0 meaning the default.
int SecondsFromText(const char* text);

// The system's error code for a name or path too long to use (ERROR_FILENAME_EXCED_RANGE).
constexpr std::uint32_t kErrorNameTooLong = 206;

// The private profile file ("config.ini").
class ProfileFile {
 public:
  virtual ~ProfileFile() = default;
  // False when the file, section or key is missing.
  virtual bool Read(const std::string& file, const char* section, const char* key, std::string* value) = 0;
  virtual bool Write(const std::string& file, const char* section, const char* key, const char* value) = 0;
  // The system's error code for the last call that failed.
  std::uint32_t LastError() const { return lastError_; }

 protected:
  std::uint32_t lastError_ = 0;
};

// The current user's Run key.
class RunKey {
 public:
  virtual ~RunKey() = default;
  virtual bool Open() = 0;
  virtual bool Has(const std::string& name) = 0;
  virtual bool Set(const std::string& name, const std::string& data) = 0;
  // Absence is no error.
  virtual bool Remove(const std::string& name) = 0;
  virtual void Close() = 0;
  // Task Manager's startup switch for a value (Windows 8 and later keep it beside the Run key, in a key of
  // their own): its raw bytes; false where there is none. Setting it never makes that key.
  virtual bool Approval(const std::string& name, std::string* bytes) = 0;
  virtual bool SetApproval(const std::string& name, const std::string& bytes) = 0;
  // The system's error code for the last call that failed.
  std::uint32_t LastError() const { return lastError_; }

 protected:
  std::uint32_t lastError_ = 0;
};

struct Settings {
  int autoRun = 0;  // 0 or 1
  int seconds = kDefaultSeconds;
  int log = 0;  // 0 or 1; only a person editing config.ini turns it on
  // Hung checks in a row before the dialer is ended, as RestartHungChecks makes the stored number; 0: never.
  // Also set by hand only.
  int restartHung = 0;
  // By hand too: where the link's probe connects (off by default), and after how many failed probes in a row
  // the dialer is ended, as RestartOfflineTries makes the stored number; 0: never.
  ProbeTarget probe;
  int restartOffline = 0;
};

// Reads the settings; missing file or keys give off, 30, no log, no end of a hung dialer and no probe. A stored
// "Seconds" is taken unchanged.
Settings LoadSettings(ProfileFile& profile, const std::string& modulePath);

// The two values the settings window saves, as config.ini names them: "AutoRun=1 Seconds=45".
std::string DescribeSettings(const Settings& settings);

// What a save could not write, as the system's error codes; 0 where it went well.
struct SaveErrors {
  std::uint32_t file = 0;    // config.ini
  std::uint32_t runKey = 0;  // the Run value
};

// Writes both keys, brings the Run value into line, and updates `settings` even where writing failed.
// Returns true when the interval changed, so that the caller restarts its timer.
bool StoreSettings(ProfileFile& profile, RunKey& runKey, const std::string& modulePath, bool autoRunOn,
                   const char* secondsText, Settings* settings, SaveErrors* errors = nullptr);

// Adds the tool's Run value when missing (an existing value is left as it is), or removes it. Returns
// the system's error code when the value could not be brought into line, else 0.
std::uint32_t SetRunAtLogon(RunKey& runKey, const std::string& modulePath, bool on);

// Task Manager's switch says off: 12 bytes whose first is 03 or 07 (the last 8 are the time of the change).
// Anything else, short or odd, counts as on, as no switch at all does.
bool ApprovalSaysOff(const std::string& bytes);
// The switch as Task Manager sets it back on: 02 and eleven zero bytes.
constexpr char kApprovalOn[12] = {2};
// Whether Windows will skip our Run value at logon because Task Manager switched it off.
bool SwitchedOffAtLogon(RunKey& runKey, const std::string& modulePath);

// Top-left corner that centres a window of the given size in an area; a window larger than the area keeps
// its top-left corner inside it.
Point CentredIn(const Rect& area, int width, int height);

}  // namespace zemvar
