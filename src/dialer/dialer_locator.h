// Where the dialer is installed, and how it is started.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "dialer/desktop.h"
#include "platform/module_path.h"

namespace zemvar {

constexpr std::uint32_t kRegString = 1;        // REG_SZ
constexpr std::uint32_t kRegExpandString = 2;  // REG_EXPAND_SZ

// The dialer's install key, read-only.
class InstallRegistry {
 public:
  virtual ~InstallRegistry() = default;
  virtual bool Open() = 0;
  // Like RegQueryValueExA: false when the value is absent or more than *size bytes; otherwise the raw
  // bytes (not necessarily terminated) are in data, their count in *size and the value type in *type.
  virtual bool Query(const char* name, std::uint32_t* type, char* data, std::uint32_t* size) = 0;
  virtual void Close() = 0;
};

// The system's error code for a window that is gone (ERROR_INVALID_WINDOW_HANDLE).
constexpr std::uint32_t kErrorInvalidWindow = 1400;

// Starts a program; the result is WinExec's (31 or less: failed). Ends one: 0, or the system's error code.
class Launcher {
 public:
  virtual ~Launcher() = default;
  virtual std::uint32_t Launch(const char* commandLine) = 0;
  // Only while `window` is still the process's: once the process has exited its id may be another
  // program's. Otherwise nothing is ended and the result is kErrorInvalidWindow.
  virtual std::uint32_t End(std::uint32_t processId, WindowId window) = 0;
};

constexpr std::size_t kExeNameBuffer = 64;

// Fills `path` (of `size` bytes) with the dialer's full executable path. False when the record is
// missing, a value is not a string, or the joined path would not fit: the dialer counts as not installed.
bool LocateDialerExecutable(InstallRegistry& registry, char* path, std::size_t size);

// A system DLL by its full path, so that no other folder is searched for it. False when the folder is
// empty or the path would not fit a MAX_PATH buffer.
bool SystemDllPath(const std::string& systemFolder, const char* name, std::string* path);

// The command line for a path: the path in double quotes. Empty when it would not fit.
bool QuotedCommandLine(const char* path, char* commandLine, std::size_t size);

}  // namespace zemvar
