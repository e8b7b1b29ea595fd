#include "dialer/dialer_locator.h"

#include <cstring>

#include "dialer/dialer_texts.h"

namespace zemvar {
namespace {

// Reads a string value into `buffer` and terminates it. A value that fills the buffer without a
// terminator, or is of another type, is refused rather than cut.
bool ReadString(InstallRegistry& registry, const char* name, char* buffer, std::size_t size) {
  std::uint32_t type = 0;
  std::uint32_t got = static_cast<std::uint32_t>(size);
  if (!registry.Query(name, &type, buffer, &got)) return false;
  if (type != kRegString && type != kRegExpandString) return false;
  if (got > size) return false;
  if (got == size) {
    if (std::memchr(buffer, '\0', size) == nullptr) return false;
  } else {
    buffer[got] = '\0';
  }
  return true;
}

}  // namespace

bool LocateDialerExecutable(InstallRegistry& registry, char* path, std::size_t size) {
  if (!path || size == 0) return false;
  path[0] = '\0';
  if (!registry.Open()) return false;

  char name[kExeNameBuffer] = {};
  bool ok = ReadString(registry, dialer::kInstallPathValue, path, size) &&
            ReadString(registry, dialer::kInstallNameValue, name, sizeof name);
  registry.Close();
  // A refused value may have left raw bytes behind; the caller gets an empty string, never those.
  if (!ok) {
    path[0] = '\0';
    return false;
  }
  std::size_t length = std::strlen(path);
  const bool addSlash = length == 0 || path[length - 1] != '\\';
  const std::size_t nameLength = std::strlen(name);
  if (length + (addSlash ? 1 : 0) + nameLength + 1 > size) {
    path[0] = '\0';
    return false;
  }
  if (addSlash) path[length++] = '\\';
  std::memcpy(path + length, name, nameLength + 1);
  return true;
}

bool QuotedCommandLine(const char* path, char* commandLine, std::size_t size) {
  const std::size_t length = std::strlen(path);
  if (size == 0) return false;
  commandLine[0] = '\0';
  if (length + 3 > size) return false;
  commandLine[0] = '"';
  std::memcpy(commandLine + 1, path, length);
  commandLine[length + 1] = '"';
  commandLine[length + 2] = '\0';
  return true;
}

bool SystemDllPath(const std::string& systemFolder, const char* name, std::string* path) {
  if (systemFolder.empty()) return false;
  std::string result = systemFolder;
  if (result.back() != '\\') result += '\\';
  result += name;
  if (result.size() >= kMaxPathBuffer) return false;
  *path = result;
  return true;
}

}  // namespace zemvar
