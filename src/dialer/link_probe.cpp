#include "dialer/link_probe.h"

#include <climits>
#include <cstdio>

namespace zemvar {
namespace {

constexpr std::size_t kMaxHostLength = 253;  // the longest name DNS carries

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHostCharacter(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.';
}

// Up to `most` decimal digits and nothing else, within [low, high].
bool ParseNumber(const std::string& text, std::size_t most, int low, int high, int* value) {
  if (text.empty() || text.size() > most) return false;
  int number = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    number = number * 10 + (c - '0');
  }
  if (number < low || number > high) return false;
  *value = number;
  return true;
}

// A host is at most 253 bytes: every line fits.
constexpr std::size_t kNoteBuffer = 384;

std::string Failure(const ProbeTarget& target, std::uint32_t error) {
  char why[48] = "name not found";
  if (error == kProbeNameTooSlow) {
    std::snprintf(why, sizeof why, "name not found within %u s", static_cast<unsigned>(kProbeTimeoutMs / 1000));
  } else if (error != kProbeNameNotFound) {
    std::snprintf(why, sizeof why, "error %u", static_cast<unsigned>(error));
  }
  char note[kNoteBuffer];
  std::snprintf(note, sizeof note, "probe %s failed: %s", target.Text().c_str(), why);
  return note;
}

}  // namespace

std::string ProbeTarget::Text() const {
  char text[kNoteBuffer];
  std::snprintf(text, sizeof text, "%s:%d", host.c_str(), port);
  return text;
}

ProbeTarget ParseProbeTarget(const std::string& text) {
  ProbeTarget target;
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon > kMaxHostLength) return target;
  for (std::size_t i = 0; i < colon; ++i) {
    if (!IsHostCharacter(text[i])) return target;
  }
  if (!ParseNumber(text.substr(colon + 1), 5, 1, 65535, &target.port)) return target;
  target.host = text.substr(0, colon);
  return target;
}

bool Ipv4Address(const std::string& host, std::uint8_t bytes[4]) {
  std::size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const std::size_t end = i < 3 ? host.find('.', start) : host.size();
    int value = 0;
    if (end == std::string::npos || !ParseNumber(host.substr(start, end - start), 3, 0, 255, &value)) return false;
    bytes[i] = static_cast<std::uint8_t>(value);
    start = end + 1;
  }
  return true;
}

int RestartOfflineTries(int stored) {
  if (stored <= 0) return 0;
  return stored < kOfflineTries ? kOfflineTries : stored;
}

void OfflineWatch::Configure(const ProbeTarget& target, int restartAfter) {
  target_ = target;
  restartAfter_ = restartAfter;
}

bool OfflineWatch::Observe(std::uint32_t error, std::uint64_t nowMs, std::vector<std::string>* notes) {
  const bool told = failures_ > 0 && error == lastError_;
  lastError_ = error;
  if (error == 0) {
    if (failures_ > 0 && notes) {
      char note[kNoteBuffer];
      std::snprintf(note, sizeof note, "probe %s connected again after %d failed tries", target_.Text().c_str(),
                    failures_);
      notes->push_back(note);
    }
    failures_ = 0;
    offline_ = false;
    return false;
  }
  if (!told && notes) notes->push_back(Failure(target_, error));
  if (failures_ < INT_MAX) ++failures_;
  if (failures_ >= kOfflineTries) offline_ = true;
  return restartAfter_ > 0 && failures_ >= restartAfter_ && ends_.Allows(nowMs);
}

void OfflineWatch::Ended(std::uint64_t nowMs) {
  failures_ = 0;
  ends_.Ended(nowMs);
}

}  // namespace zemvar
