// libFuzzer target over the rules that take strings from outside: the module path, the edit box's text,
// registry values, window titles and the probe's target. Each input picks one rule with its first byte; the checks are the
// promises the rules make, so a broken promise aborts like a crash.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dialer/dialer_locator.h"
#include "dialer/window_search.h"
#include "fake_desktop.h"
#include "settings/settings_rules.h"

namespace {

using namespace zemvar;

void Require(bool promise) {
  if (!promise) std::abort();
}

void SettingsPath(const std::string& modulePath) {
  std::string path;
  if (!SettingsPathFor(modulePath, &path)) return;
  Require(Utf16Length(path) < kMaxPathBuffer);
  Require(path.size() >= 11 && path.compare(path.size() - 11, 11, "\\config.ini") == 0);
  const std::size_t slash = modulePath.rfind('\\');
  Require(path.compare(0, path.size() - 11, modulePath, 0, slash == std::string::npos ? modulePath.size() : slash) == 0);
}

void RunValueName(const std::string& modulePath) {
  std::string name;
  if (!RunValueNameFor(modulePath, &name)) return;
  Require(!name.empty() && Utf16Length(name) < kRunNameBuffer);
  Require(name.find('\\') == std::string::npos);
  const std::string data = RunValueDataFor(modulePath);
  Require(data == modulePath || data == "\"" + modulePath + "\"");
}

void Interval(const std::string& text) {
  // The reference: the same reading, done with wide arithmetic and clamped at the end.
  const char* p = text.c_str();
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = value > (1LL << 40) ? value : value * 10 + (*p - '0');
  if (negative) value = -value;
  const long long clamped = value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : value;
  Require(ParseDecimal(text.c_str()) == clamped);
  Require(SecondsFromText(text.c_str()) == (clamped == 0 ? 30 : clamped));
}

void InstallPath(const std::uint8_t* data, std::size_t size) {
  // Two values of any type and bytes, split where the input says.
  if (size < 3) return;
  const std::size_t split = std::min<std::size_t>(data[0], size - 2);
  testing::FakeInstallRegistry registry;
  registry.values["ExePath"] = {static_cast<std::uint32_t>(data[1] % 4), std::string(data + 2, data + 2 + split)};
  registry.values["ExeName"] = {static_cast<std::uint32_t>(data[1] / 4 % 4), std::string(data + 2 + split, data + size)};
  char path[kMaxPathBuffer + 8];
  std::memset(path, 0x5a, sizeof path);
  const bool found = LocateDialerExecutable(registry, path, kMaxPathBuffer);
  Require(registry.opens == registry.closes);
  Require(std::memchr(path, '\0', kMaxPathBuffer) != nullptr);  // terminated inside the buffer, either way
  for (std::size_t i = kMaxPathBuffer; i < sizeof path; ++i) Require(path[i] == 0x5a);
  if (found) Require(std::strlen(path) > 0);
}

void Title(const std::uint8_t* data, std::size_t size) {
  // The window text is the input (a C string, as window texts are); the wanted title is its first half.
  const std::string text = std::string(reinterpret_cast<const char*>(data), size).c_str();
  const std::string wanted = text.substr(0, text.size() / 2);
  testing::FakeDesktop desktop;
  const WindowId box = desktop.AddTopLevel("#32770", "box", 0, 0, 100, 100);
  const WindowId label = desktop.AddChild(box, "Static", text, 0, 0, 10, 10);
  WindowCriteria criteria;
  criteria.className = "Static";
  criteria.titleA = wanted.c_str();
  criteria.parent = box;
  SearchDescendants(desktop, box, MatchChildByText, criteria);
  if (criteria.found) {
    Require(criteria.found == label);
    // Only whole texts match, after the cut at 254 bytes.
    const std::string seen = text.substr(0, 254).c_str();
    Require(!seen.empty() && seen.size() == wanted.size());
  }
}

void Probe(const std::string& text) {
  const ProbeTarget target = ParseProbeTarget(text);
  if (!target.On()) return;
  Require(!target.host.empty() && target.host.size() <= 253 && target.port >= 1 && target.port <= 65535);
  const ProbeTarget again = ParseProbeTarget(target.Text());
  Require(again.host == target.host && again.port == target.port);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (data[0] % 6) {
    case 0: SettingsPath(rest); break;
    case 1: RunValueName(rest); break;
    case 2: Interval(rest); break;
    case 3: InstallPath(data + 1, size - 1); break;
    case 4: Title(data + 1, size - 1); break;
    case 5: Probe(rest); break;
  }
  return 0;
}
