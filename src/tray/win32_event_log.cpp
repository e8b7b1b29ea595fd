#include "tray/win32_event_log.h"

#include <windows.h>

#include "platform/win32_text.h"

namespace zemvar {

bool Win32LogFiles::Size(const std::string& path, std::uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WideFromUtf8(path).data(), GetFileExInfoStandard, &data)) return false;
  // A folder of the log's name is the user's, never to be moved aside.
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  *size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return true;
}

bool Win32LogFiles::Rename(const std::string& from, const std::string& to) {
  return MoveFileExW(WideFromUtf8(from).data(), WideFromUtf8(to).data(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool Win32LogFiles::Append(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(WideFromUtf8(path).data(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool Win32LogFiles::Begins(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(WideFromUtf8(path).data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string start(bytes.size(), '\0');
  DWORD read = 0;
  const BOOL ok = ReadFile(file, &start[0], static_cast<DWORD>(start.size()), &read, nullptr);
  CloseHandle(file);
  return ok && read == bytes.size() && start == bytes;
}

std::string Win32LogFiles::Encoded(const std::string& gbk) {
  const WideText wide = WideFromGbk(gbk);
  return Utf8FromWide(wide.data(), wide.size() - 1);
}

LocalTime Win32LocalClock::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace zemvar
