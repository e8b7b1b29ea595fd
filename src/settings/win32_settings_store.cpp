#include "settings/win32_settings_store.h"

#include <cwchar>

#include "platform/win32_text.h"

namespace zemvar {
namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// Stands for a missing key: no value a person writes into config.ini looks like it.
constexpr wchar_t kAbsent[] = L"\x7f\x01";

}  // namespace

// The file's name is a path of any letters; what it holds is read and written as GBK text, as before.
bool Win32ProfileFile::Read(const std::string& file, const char* section, const char* key, std::string* value) {
  wchar_t buffer[256] = {};
  const DWORD length = GetPrivateProfileStringW(WideFromGbk(section).data(), WideFromGbk(key).data(), kAbsent, buffer,
                                                sizeof buffer / sizeof buffer[0], WideFromUtf8(file).data());
  if (std::wcscmp(buffer, kAbsent) == 0) return false;
  *value = GbkFromWide(buffer, length, sizeof buffer);
  return true;
}

bool Win32ProfileFile::Write(const std::string& file, const char* section, const char* key, const char* value) {
  if (WritePrivateProfileStringW(WideFromGbk(section).data(), WideFromGbk(key).data(), WideFromGbk(value).data(),
                                 WideFromUtf8(file).data())) {
    return true;
  }
  lastError_ = GetLastError();
  return false;
}

bool Win32RunKey::Done(LONG result) {
  if (result == ERROR_SUCCESS) return true;
  lastError_ = static_cast<std::uint32_t>(result);
  return false;
}

bool Win32RunKey::Open() {
  Close();
  // No more rights than are used: where policy grants only these, asking for more would fail.
  return Done(RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_));
}

bool Win32RunKey::Has(const std::string& name) {
  return key_ && RegQueryValueExW(key_, WideFromUtf8(name).data(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool Win32RunKey::Set(const std::string& name, const std::string& data) {
  if (!key_) return false;
  const WideText wide = WideFromUtf8(data);
  return Done(RegSetValueExW(key_, WideFromUtf8(name).data(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.data()),
                             static_cast<DWORD>(wide.size() * sizeof(wchar_t))));
}

bool Win32RunKey::Remove(const std::string& name) {
  if (!key_) return false;
  const LONG result = RegDeleteValueW(key_, WideFromUtf8(name).data());
  return result == ERROR_FILE_NOT_FOUND || Done(result);
}

void Win32RunKey::Close() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

bool Win32RunKey::Approval(const std::string& name, std::string* bytes) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kApprovedKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  // Task Manager writes 12 bytes; a longer value is no switch it made, and counts as none.
  BYTE data[64];
  DWORD size = sizeof data, type = 0;
  const bool found = RegQueryValueExW(key, WideFromUtf8(name).data(), nullptr, &type, data, &size) == ERROR_SUCCESS &&
                     type == REG_BINARY;
  RegCloseKey(key);
  if (found) bytes->assign(reinterpret_cast<const char*>(data), size);
  return found;
}

bool Win32RunKey::SetApproval(const std::string& name, const std::string& bytes) {
  HKEY key;
  if (!Done(RegOpenKeyExW(HKEY_CURRENT_USER, kApprovedKey, 0, KEY_SET_VALUE, &key))) return false;
  const bool done = Done(RegSetValueExW(key, WideFromUtf8(name).data(), 0, REG_BINARY,
                                        reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())));
  RegCloseKey(key);
  return done;
}

}  // namespace zemvar
