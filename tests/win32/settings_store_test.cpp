// The settings against a real config.ini and the real (Wine) registry.
#include <windows.h>
#include <sddl.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "settings/win32_settings_store.h"

namespace zemvar {
namespace {

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string TempDir(const char* leaf) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string dir = std::string(temp) + leaf;
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

std::string ReadRunValue(const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  char data[512] = {};
  DWORD size = sizeof data, type = 0;
  const LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return "<none>";
  if (type != REG_SZ || size != std::string(data).size() + 1) return "<malformed>";
  return data;
}

void WriteRunValue(const std::string& name, const std::string& data) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                           nullptr));
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
  RegCloseKey(key);
}

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = TempDir("zemvar settings test");
    exe = dir + "\\ZemvarStoreTest.exe";
    ini = dir + "\\config.ini";
    DeleteFileA(ini.c_str());
    Win32RunKey key;
    if (key.Open()) key.Remove("ZemvarStoreTest");
  }
  void TearDown() override {
    DeleteFileA(ini.c_str());
    Win32RunKey key;
    if (key.Open()) key.Remove("ZemvarStoreTest");
  }
  std::string dir, exe, ini;
  Win32ProfileFile profile;
  Win32RunKey runKey;
};

TEST_F(SettingsStore, NoFileGivesDefaultsAndTheFirstSaveWritesBothKeys) {
  Settings s = LoadSettings(profile, exe);
  EXPECT_EQ(0, s.autoRun);
  EXPECT_EQ(30, s.seconds);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ini.c_str()));

  EXPECT_TRUE(StoreSettings(profile, runKey, exe, true, "007", &s));
  EXPECT_EQ(1, GetPrivateProfileIntA("Setup", "AutoRun", -9, ini.c_str()));
  char text[32];
  GetPrivateProfileStringA("Setup", "Seconds", "", text, sizeof text, ini.c_str());
  EXPECT_STREQ("7", text);
  // The directory holds a space, so the path is quoted for the shell's logon start.
  EXPECT_EQ("\"" + exe + "\"", ReadRunValue("ZemvarStoreTest"));

  Settings again = LoadSettings(profile, exe);
  EXPECT_EQ(1, again.autoRun);
  EXPECT_EQ(7, again.seconds);

  EXPECT_TRUE(StoreSettings(profile, runKey, exe, false, "", &s));
  EXPECT_EQ("<none>", ReadRunValue("ZemvarStoreTest"));
  EXPECT_EQ(0, GetPrivateProfileIntA("Setup", "AutoRun", -9, ini.c_str()));
  EXPECT_EQ(30, GetPrivateProfileIntA("Setup", "Seconds", -9, ini.c_str()));
}

TEST_F(SettingsStore, ReadsWhatAPersonWroteIntoTheFile) {
  WritePrivateProfileStringA("Setup", "AutoRun", "2", ini.c_str());
  WritePrivateProfileStringA("Setup", "Seconds", "0", ini.c_str());
  Settings s = LoadSettings(profile, exe);
  EXPECT_EQ(1, s.autoRun);
  EXPECT_EQ(0, s.seconds);
  WritePrivateProfileStringA("Setup", "AutoRun", "-1", ini.c_str());
  WritePrivateProfileStringA("Setup", "Seconds", nullptr, ini.c_str());  // key removed
  s = LoadSettings(profile, exe);
  EXPECT_EQ(0, s.autoRun);
  EXPECT_EQ(30, s.seconds);
}

TEST_F(SettingsStore, AnExistingRunValueWithAnotherPathIsLeftAlone) {
  WriteRunValue("ZemvarStoreTest", "D:\\Old\\ZemvarStoreTest.exe");
  Settings s;
  StoreSettings(profile, runKey, exe, true, "30", &s);
  EXPECT_EQ("D:\\Old\\ZemvarStoreTest.exe", ReadRunValue("ZemvarStoreTest"));
  // Off removes it, and removing it again is no fault.
  StoreSettings(profile, runKey, exe, false, "30", &s);
  StoreSettings(profile, runKey, exe, false, "30", &s);
  EXPECT_EQ("<none>", ReadRunValue("ZemvarStoreTest"));
}

TEST_F(SettingsStore, APathWithoutSpacesIsStoredAsItIs) {
  const std::string plain = TempDir("zemvar_plain") + "\\ZemvarStoreTest.exe";
  SetRunAtLogon(runKey, plain, true);
  EXPECT_EQ(plain, ReadRunValue("ZemvarStoreTest"));
  SetRunAtLogon(runKey, plain, false);
  EXPECT_EQ("<none>", ReadRunValue("ZemvarStoreTest"));
}

// Where policy lets a user only read and set the Run key's values, start at logon still works. A key of
// the test's own stands in for HKEY_CURRENT_USER; its Run key's DACL grants those rights, and DELETE so that
// the test can remove it.
TEST_F(SettingsStore, ARunKeyThatOnlyLetsValuesBeReadAndSetIsEnough) {
  const std::string user = "Software\\Zemvar run key test";
  HKEY stand, run;
  PSECURITY_DESCRIPTOR narrow = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (user + "\\" + kRunKey).c_str(), 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &run, nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, user.c_str(), 0, KEY_ALL_ACCESS, &stand));
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;0x10003;;;WD)", SDDL_REVISION_1, &narrow,
                                                                   nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(run, DACL_SECURITY_INFORMATION, narrow));
  RegOverridePredefKey(HKEY_CURRENT_USER, stand);
  const std::uint32_t on = SetRunAtLogon(runKey, exe, true);
  const LONG set = RegQueryValueExA(run, "ZemvarStoreTest", nullptr, nullptr, nullptr, nullptr);
  const std::uint32_t off = SetRunAtLogon(runKey, exe, false);
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(run);
  RegCloseKey(stand);
  LocalFree(narrow);
  for (std::string key = user + "\\" + kRunKey; key.size() >= user.size(); key.erase(key.rfind('\\'))) {
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  }
  EXPECT_EQ(0u, on);
  EXPECT_EQ(ERROR_SUCCESS, set);
  EXPECT_EQ(0u, off);
}

// Windows 8 and later: Task Manager's switch beside the Run key. Windows 7 and before have no such key,
// and ticking the box makes none.
TEST_F(SettingsStore, TaskManagersSwitchIsReadAndTurnedBackOnButItsKeyIsNeverMade) {
  const char approved[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
  HKEY key;
  EXPECT_EQ(0u, SetRunAtLogon(runKey, exe, true));
  ASSERT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, approved, 0, KEY_READ, &key)) << "made where Wine has none";
  ASSERT_EQ(0, RegCreateKeyExA(HKEY_CURRENT_USER, approved, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  const BYTE off[12] = {3, 0, 0, 0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x01};
  RegSetValueExA(key, "ZemvarStoreTest", 0, REG_BINARY, off, sizeof off);
  const bool switchedOff = SwitchedOffAtLogon(runKey, exe);
  const std::uint32_t on = SetRunAtLogon(runKey, exe, true);
  char now[16] = {};
  DWORD size = sizeof now;
  RegQueryValueExA(key, "ZemvarStoreTest", nullptr, nullptr, reinterpret_cast<BYTE*>(now), &size);
  RegCloseKey(key);
  // Only the two keys the test made; Explorer's own stays.
  RegDeleteKeyA(HKEY_CURRENT_USER, approved);
  RegDeleteKeyA(HKEY_CURRENT_USER, std::string(approved, std::strlen(approved) - 4).c_str());
  EXPECT_TRUE(switchedOff);
  EXPECT_EQ(0u, on);
  EXPECT_EQ(std::string(kApprovalOn, 12), std::string(now, size));
}

}  // namespace
}  // namespace zemvar
