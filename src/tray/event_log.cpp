#include "tray/event_log.h"

#include <cstdio>

#include "tray/tray_rules.h"

namespace zemvar {

bool LogPathFor(const std::string& modulePath, std::string* path) {
  std::string log;
  if (!PathBesideModule(modulePath, "Zemvar.log", &log) || Utf16Length(OlderLogPath(log)) >= kMaxPathBuffer) return false;
  *path = log;
  return true;
}

std::string StartEvent(const Settings& settings) {
  std::string event = "start " + DescribeSettings(settings);
  if (settings.restartHung) event += " RestartHung=" + std::to_string(settings.restartHung);
  if (settings.probe.On()) event += " Probe=" + settings.probe.Text();
  if (settings.restartOffline) event += " RestartOffline=" + std::to_string(settings.restartOffline);
  return event;
}

std::string StatusEvent(int status) {
  char text[96];
  std::snprintf(text, sizeof text, "status %d %s", status, StatusText(status));
  return text;
}

std::string SettingsEvent(const Settings& settings, const SaveErrors& errors) {
  std::string event = "settings " + DescribeSettings(settings);
  if (!errors.file && !errors.runKey) return event;
  event += " in use but not saved:";
  if (errors.file) event += " config.ini error " + std::to_string(errors.file);
  if (errors.file && errors.runKey) event += ',';
  if (errors.runKey) event += " Run value error " + std::to_string(errors.runKey);
  return event;
}

void EventLog::Write(const std::string& event) {
  if (!files_) return;
  const LocalTime t = clock_->Now();
  char time[64];
  std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d ", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  std::string line = files_->Encoded(time + event + "\r\n");
  std::uint64_t size = 0;
  bool started = files_->Size(path_, &size) && size > 0;
  if (!checked_ && started && !files_->Begins(path_, kUtf8Mark)) {
    if (!files_->Rename(path_, OlderLogPath(path_))) return;
    started = false;
  } else if (started && size + line.size() > kLogLimitBytes) {
    // A file that cannot be moved aside takes no more lines: the bound holds before the log is complete.
    if (!files_->Rename(path_, OlderLogPath(path_))) return;
    started = false;
  }
  checked_ = true;
  if (!started) line = kUtf8Mark + line;
  files_->Append(path_, line);
}

}  // namespace zemvar
