#include "settings/settings_rules.h"

#include <climits>
#include <cstdio>

#include "dialer/hung_dialer.h"

namespace zemvar {
namespace {

constexpr char kSection[] = "Setup";
constexpr char kAutoRunKey[] = "AutoRun";
constexpr char kSecondsKey[] = "Seconds";
constexpr char kLogKey[] = "Log";
constexpr char kRestartHungKey[] = "RestartHung";
constexpr char kProbeKey[] = "Probe";
constexpr char kRestartOfflineKey[] = "RestartOffline";

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

bool SettingsPathFor(const std::string& modulePath, std::string* path) {
  return PathBesideModule(modulePath, "config.ini", path);
}

bool RunValueNameFor(const std::string& modulePath, std::string* name) {
  const std::size_t slash = modulePath.rfind('\\');
  std::string file = slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
  if (Utf16Length(file) >= kRunNameBuffer) return false;
  const std::size_t dot = file.rfind('.');
  if (dot != std::string::npos) file.erase(dot);
  // An empty name would be the key's default value, which is not ours.
  if (file.empty()) return false;
  *name = file;
  return true;
}

std::string RunValueDataFor(const std::string& modulePath) {
  if (modulePath.find(' ') == std::string::npos) return modulePath;
  return "\"" + modulePath + "\"";
}

int ParseDecimal(const char* text) {
  if (!text) return 0;
  while (IsSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) return static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

int SecondsFromText(const char* text) {
  const int value = ParseDecimal(text);
  return value == 0 ? kDefaultSeconds : value;
}

Settings LoadSettings(ProfileFile& profile, const std::string& modulePath) {
  Settings settings;
  std::string path, value;
  if (!SettingsPathFor(modulePath, &path)) return settings;
  if (profile.Read(path, kSection, kAutoRunKey, &value)) settings.autoRun = ParseDecimal(value.c_str()) > 0 ? 1 : 0;
  if (profile.Read(path, kSection, kSecondsKey, &value)) settings.seconds = ParseDecimal(value.c_str());
  if (profile.Read(path, kSection, kLogKey, &value)) settings.log = ParseDecimal(value.c_str()) > 0 ? 1 : 0;
  if (profile.Read(path, kSection, kRestartHungKey, &value)) {
    settings.restartHung = RestartHungChecks(ParseDecimal(value.c_str()));
  }
  if (profile.Read(path, kSection, kProbeKey, &value)) settings.probe = ParseProbeTarget(value);
  if (profile.Read(path, kSection, kRestartOfflineKey, &value)) {
    settings.restartOffline = RestartOfflineTries(ParseDecimal(value.c_str()));
  }
  return settings;
}

std::string DescribeSettings(const Settings& settings) {
  char text[64];
  std::snprintf(text, sizeof text, "%s=%d %s=%d", kAutoRunKey, settings.autoRun, kSecondsKey, settings.seconds);
  return text;
}

bool StoreSettings(ProfileFile& profile, RunKey& runKey, const std::string& modulePath, bool autoRunOn,
                   const char* secondsText, Settings* settings, SaveErrors* errors) {
  SaveErrors found;
  std::string path;
  const bool havePath = SettingsPathFor(modulePath, &path);
  if (!havePath) found.file = kErrorNameTooLong;
  settings->autoRun = autoRunOn ? 1 : 0;
  if (havePath && !profile.Write(path, kSection, kAutoRunKey, autoRunOn ? "1" : "0")) found.file = profile.LastError();
  found.runKey = SetRunAtLogon(runKey, modulePath, autoRunOn);

  const int seconds = SecondsFromText(secondsText);
  char text[16];
  std::snprintf(text, sizeof text, "%d", seconds);
  if (havePath && !profile.Write(path, kSection, kSecondsKey, text) && !found.file) found.file = profile.LastError();
  if (errors) *errors = found;
  if (seconds == settings->seconds) return false;
  settings->seconds = seconds;
  return true;
}

std::uint32_t SetRunAtLogon(RunKey& runKey, const std::string& modulePath, bool on) {
  std::string name;
  if (modulePath.empty() || Utf16Length(modulePath) >= kMaxPathBuffer || !RunValueNameFor(modulePath, &name)) {
    return kErrorNameTooLong;
  }
  if (!runKey.Open()) return runKey.LastError();
  bool done = true;
  if (!on) {
    done = runKey.Remove(name);
  } else if (!runKey.Has(name)) {
    done = runKey.Set(name, RunValueDataFor(modulePath));
  }
  // Ticking the box is the user's explicit wish: a switch Task Manager turned off goes back on.
  std::string approval;
  if (on && done && runKey.Approval(name, &approval) && ApprovalSaysOff(approval)) {
    done = runKey.SetApproval(name, std::string(kApprovalOn, sizeof kApprovalOn));
  }
  const std::uint32_t error = done ? 0 : runKey.LastError();
  runKey.Close();
  return error;
}

bool ApprovalSaysOff(const std::string& bytes) {
  return bytes.size() == sizeof kApprovalOn && (bytes[0] == 3 || bytes[0] == 7);
}

bool SwitchedOffAtLogon(RunKey& runKey, const std::string& modulePath) {
  std::string name, approval;
  return RunValueNameFor(modulePath, &name) && runKey.Approval(name, &approval) && ApprovalSaysOff(approval);
}

Point CentredIn(const Rect& area, int width, int height) {
  Point p;
  p.x = area.left + (area.right - area.left - width) / 2;
  p.y = area.top + (area.bottom - area.top - height) / 2;
  if (p.x < area.left) p.x = area.left;
  if (p.y < area.top) p.y = area.top;
  return p;
}

}  // namespace zemvar
