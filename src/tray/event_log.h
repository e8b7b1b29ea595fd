// The event log a user can turn on with Log=1: one line per event, appended to "Zemvar.log" beside
// config.ini, and never more than two files of 256 KB. The file is UTF-8 with a byte-order mark, which
// Notepad reads right on any Windows from XP on, whatever its code page.
#pragma once

#include <cstdint>
#include <string>

#include "platform/module_path.h"
#include "settings/settings_rules.h"

namespace zemvar {

constexpr std::uint64_t kLogLimitBytes = 256 * 1024;
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

struct LocalTime {
  int year, month, day, hour, minute, second;
};

class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual LocalTime Now() = 0;
};

// The log's files. Each call opens and closes what it needs, so that a crash loses at most one line.
class LogFiles {
 public:
  virtual ~LogFiles() = default;
  // False when there is no plain file of that name: absent, a folder, or unreadable.
  virtual bool Size(const std::string& path, std::uint64_t* size) = 0;
  // `from` takes the name `to`, replacing whatever had it.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Adds the bytes at the end, creating the file when there is none.
  virtual bool Append(const std::string& path, const std::string& bytes) = 0;
  // Whether the file's first bytes are these.
  virtual bool Begins(const std::string& path, const std::string& bytes) = 0;
  // The rules' GBK text as the file holds it.
  virtual std::string Encoded(const std::string& gbk) { return gbk; }
};

// "Zemvar.log" beside the executable. False when it or its older file, "Zemvar.log.1", would not fit a
// MAX_PATH buffer.
bool LogPathFor(const std::string& modulePath, std::string* path);
// Where a full log is moved aside.
inline std::string OlderLogPath(const std::string& path) { return path + ".1"; }

// What each event says after the time.
std::string StartEvent(const Settings& settings);
std::string StatusEvent(int status);
// A save that did not reach config.ini or the Run value says so, with the system's error codes.
std::string SettingsEvent(const Settings& settings, const SaveErrors& errors = SaveErrors());
constexpr char kExitEvent[] = "exit";

class EventLog {
 public:
  // Off: writes nothing and touches no file.
  EventLog() = default;
  EventLog(LogFiles& files, LocalClock& clock, const std::string& path)
      : files_(&files), clock_(&clock), path_(path) {}

  // "YYYY-MM-DD HH:MM:SS event", CRLF. A line that would take the file past the limit first moves it to
  // "Zemvar.log.1", and so does the first line into a file without the mark (an older version's, in GBK),
  // so that no file mixes two encodings. A line that cannot be written is lost without a word, as
  // config.ini's would be.
  void Write(const std::string& event);

 private:
  LogFiles* files_ = nullptr;
  LocalClock* clock_ = nullptr;
  std::string path_;
  bool checked_ = false;  // the file found at start has been seen to be ours, or moved aside
};

}  // namespace zemvar
