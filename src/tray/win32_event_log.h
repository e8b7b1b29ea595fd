// The event log's seams over the file system and the local clock.
#pragma once

#include "tray/event_log.h"

namespace zemvar {

class Win32LogFiles : public LogFiles {
 public:
  bool Size(const std::string& path, std::uint64_t* size) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool Append(const std::string& path, const std::string& bytes) override;
  bool Begins(const std::string& path, const std::string& bytes) override;
  // UTF-8.
  std::string Encoded(const std::string& gbk) override;
};

class Win32LocalClock : public LocalClock {
 public:
  LocalTime Now() override;
};

}  // namespace zemvar
