// Whether a link the dialer calls connected really carries traffic: with Probe=HOST:PORT, every check that
// found all well ends with a TCP connection to HOST:PORT, and a run of failed tries shows the link as
// offline and may end the dialer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialer/hung_dialer.h"

namespace zemvar {

struct ProbeTarget {
  std::string host;  // a name or a dotted IPv4 address
  int port = 0;      // 0: no probe
  bool On() const { return port != 0; }
  std::string Text() const;  // "host:port"
};

// What "Probe" under [Setup] means: HOST:PORT with a host of 1 to 253 letters, digits, '-' and '.', and a
// port of 1 to 65535 in digits only. Anything else is off: an IPv6 address among others, which XP does not
// have by default.
ProbeTarget ParseProbeTarget(const std::string& text);
// A host that is a dotted IPv4 address needs no lookup: its four bytes, in order.
bool Ipv4Address(const std::string& host, std::uint8_t bytes[4]);

// The whole try, the name lookup included, is over within this.
constexpr std::uint32_t kProbeTimeoutMs = 5000;
// The failures that are not a socket's own error, with the system's numbers for them.
constexpr std::uint32_t kProbeNameNotFound = 11001;  // WSAHOST_NOT_FOUND
constexpr std::uint32_t kProbeNameTooSlow = 258;     // WAIT_TIMEOUT: no answer within the try's time
constexpr std::uint32_t kProbeTimedOut = 10060;      // WSAETIMEDOUT

// One try: 0 when a connection to the target was made (and closed at once, nothing sent), else why not.
class LinkProbe {
 public:
  virtual ~LinkProbe() = default;
  virtual std::uint32_t Try(const ProbeTarget& target) = 0;
};

// Failed tries in a row that show the link as offline: one lost packet is not a dead link.
constexpr int kOfflineTries = 3;
// What "RestartOffline" under [Setup] means: after how many failed tries in a row the dialer is ended.
// 0 or negative: never (0); below kOfflineTries counts as that.
int RestartOfflineTries(int stored);

// Across checks, on the check's thread: counts the failed tries in a row and says what they mean.
class OfflineWatch {
 public:
  explicit OfflineWatch(EndSpacing& ends) : ends_(ends) {}
  void Configure(const ProbeTarget& target, int restartAfter);
  const ProbeTarget& target() const { return target_; }
  // One try's result (0: connected); adds what the log should tell to notes, where given: a failure unlike
  // the one before, and the first success after failures. True when this try should end the dialer now.
  bool Observe(std::uint32_t error, std::uint64_t nowMs, std::vector<std::string>* notes);
  // An end was tried, worked or not: the count starts again, the link stays offline until a try connects.
  void Ended(std::uint64_t nowMs);
  bool offline() const { return offline_; }
  int failures() const { return failures_; }

 private:
  EndSpacing& ends_;
  ProbeTarget target_;
  int restartAfter_ = 0;
  int failures_ = 0;
  bool offline_ = false;
  std::uint32_t lastError_ = 0;  // the last try's
};

}  // namespace zemvar
