#include "settings/win32_settings_store.h"

#include "platform/win32_text.h"

namespace zemvar {
namespace {

constexpr wchar_t kApprovedKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// Stands for a missing key: no value a person writes into config.ini looks like it.
constexpr char kAbsent[] = "\x7f\x01";

}  // namespace

bool Win32ProfileFile::Read(const std::string& file, const char* section, const char* key, std::string* value) {
  char buffer[256] = {};
  GetPrivateProfileStringA(section, key, kAbsent, buffer, sizeof buffer, file.c_str());
  if (std::string(buffer) == kAbsent) return false;
  *value = buffer;
  return true;
}

bool Win32ProfileFile::Write(const std::string& file, const char* section, const char* key, const char* value) {
  if (WritePrivateProfileStringA(section, key, value, file.c_str())) return true;
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
  return Done(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, &key_));
}

bool Win32RunKey::Has(const std::string& name) {
  return key_ && RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool Win32RunKey::Set(const std::string& name, const std::string& data) {
  return key_ && Done(RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                     static_cast<DWORD>(data.size() + 1)));
}

bool Win32RunKey::Remove(const std::string& name) {
  if (!key_) return false;
  const LONG result = RegDeleteValueA(key_, name.c_str());
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
  const bool found = RegQueryValueExW(key, WideFromGbk(name).data(), nullptr, &type, data, &size) == ERROR_SUCCESS &&
                     type == REG_BINARY;
  RegCloseKey(key);
  if (found) bytes->assign(reinterpret_cast<const char*>(data), size);
  return found;
}

bool Win32RunKey::SetApproval(const std::string& name, const std::string& bytes) {
  HKEY key;
  if (!Done(RegOpenKeyExW(HKEY_CURRENT_USER, kApprovedKey, 0, KEY_SET_VALUE, &key))) return false;
  const bool done = Done(RegSetValueExW(key, WideFromGbk(name).data(), 0, REG_BINARY,
                                        reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())));
  RegCloseKey(key);
  return done;
}

}  // namespace zemvar
