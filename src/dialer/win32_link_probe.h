// The link's probe over Windows sockets: ws2_32.dll from the system folder, loaded and started on the
// first try, so that a tool without Probe never loads it.
#pragma once

#include <cstdint>

#include "dialer/link_probe.h"

namespace zemvar {

class Win32LinkProbe : public LinkProbe {
 public:
  // How a name becomes an IPv4 address: 0, or the system's error. Null: the system's resolver.
  using Lookup = std::uint32_t (*)(const char* host, std::uint8_t address[4]);
  explicit Win32LinkProbe(Lookup lookup = nullptr);
  // The lookup runs on a thread of its own, left behind when it takes longer than the try may: a resolver
  // that never answers cannot hold the check.
  std::uint32_t Try(const ProbeTarget& target) override;

 private:
  Lookup lookup_;
};

}  // namespace zemvar
