// The dialer's install record in the real registry, real process starts, the network seam and the link's probe.
#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dialer/check_cycle.h"
#include "dialer/dialer_locator.h"
#include "dialer/win32_desktop.h"
#include "dialer/win32_link_probe.h"
#include "platform/win32_text.h"

namespace zemvar {
namespace {

constexpr REGSAM kView32 = KEY_WOW64_32KEY;

void DeleteSubkey(const char* parentPath, const char* name, REGSAM view) {
  HKEY parent;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, parentPath, 0, KEY_ALL_ACCESS | view, &parent) == ERROR_SUCCESS) {
    ::RegDeleteKeyA(parent, name);
    ::RegCloseKey(parent);
  }
}

// How many handles hold an object open, all processes together; 0 when the system cannot tell.
ULONG HandlesOn(HANDLE object) {
  using QueryObject = LONG(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryObject>(
      reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryObject")));
  PUBLIC_OBJECT_BASIC_INFORMATION info{};
  if (!query || query(object, ObjectBasicInformation, &info, sizeof info, nullptr) != 0) return 0;
  return info.HandleCount;
}

class InstallRecord : public ::testing::Test {
 protected:
  void TearDown() override {
    if (key_) ::RegCloseKey(key_);
    for (REGSAM view : {kView32, static_cast<REGSAM>(KEY_WOW64_64KEY)}) {
      DeleteSubkey("SOFTWARE\\China Mobile", "eWalk", view);
      DeleteSubkey("SOFTWARE", "China Mobile", view);  // only when the test made it and left it empty
    }
  }
  HKEY Create(REGSAM view = kView32) {
    EXPECT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\China Mobile\\eWalk", 0, nullptr, 0,
                                               KEY_ALL_ACCESS | view, nullptr, &key_, nullptr));
    return key_;
  }
  void Set(const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size));
  }
  void SetString(const char* name, const std::string& text) {
    Set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  bool Locate() {
    std::fill(path, path + sizeof path, 'Z');
    return LocateDialerExecutable(registry, path, sizeof path);
  }

  HKEY key_ = nullptr;
  Win32InstallRegistry registry;
  char path[kMaxPathBuffer];
};

TEST_F(InstallRecord, ReadsTheDialersKeyInThe32BitView) {
  EXPECT_FALSE(Locate());
  Create();
  SetString("ExePath", "C:\\Program Files (x86)\\China Mobile\\G3随e行");
  EXPECT_FALSE(Locate());  // no name yet
  SetString("ExeName", "G3随e行.exe");
  ASSERT_TRUE(Locate());
  EXPECT_STREQ("C:\\Program Files (x86)\\China Mobile\\G3随e行\\G3随e行.exe", path);
  // Repeated lookups open and close the key each time: they leave no more handles on it than it had.
  const ULONG before = HandlesOn(key_);
  ASSERT_GT(before, 0u);
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(Locate());
  EXPECT_EQ(before, HandlesOn(key_)) << "the lookups left handles on the key";
  EXPECT_FALSE(registry.Query("ExePath", nullptr, path, nullptr));  // closed after the lookup
}

TEST_F(InstallRecord, StringWithoutTerminatorIsUsedAndADwordIsNot) {
  Create();
  SetString("ExePath", "C:\\eWalk\\");
  Set("ExeName", REG_SZ, "eWalk.exe", 9);
  ASSERT_TRUE(Locate());
  EXPECT_STREQ("C:\\eWalk\\eWalk.exe", path);
  // Read as GBK from UTF-16, an odd byte count ending in half of "行", which is no character.
  ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key_, L"ExeName", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"G3随e行"), 9));
  ASSERT_TRUE(Locate());
  EXPECT_STREQ("C:\\eWalk\\G3随e", path);

  const DWORD number = 0x6c6c6177;
  Set("ExeName", REG_DWORD, &number, sizeof number);
  EXPECT_FALSE(Locate());

  // A directory longer than the path buffer is refused, not cut.
  SetString("ExeName", "eWalk.exe");
  SetString("ExePath", std::string(300, 'd'));
  EXPECT_FALSE(Locate());
}

TEST_F(InstallRecord, KeyOnlyInThe64BitViewIsNotTheDialers) {
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  if (sizeof(void*) == 4 && !wow64) GTEST_SKIP() << "a 32-bit system has one registry view";
  Create(KEY_WOW64_64KEY);
  SetString("ExePath", "C:\\eWalk");
  SetString("ExeName", "eWalk.exe");
  EXPECT_FALSE(Locate());
}

TEST_F(InstallRecord, CheckReportsAMissingOrUnstartableDialer) {
  Win32CheckEnvironment win32;
  CheckEnvironment env = win32.Get();
  EXPECT_EQ(StatusDialerNotInstalled, RunConnectionCheck(env));
  Create();
  SetString("ExePath", "C:\\no such folder");
  SetString("ExeName", "eWalk.exe");
  EXPECT_EQ(StatusLaunchFailed, RunConnectionCheck(env));
}

std::string TempDirectory() {
  char buffer[kMaxPathBuffer];
  const DWORD n = ::GetTempPathA(sizeof buffer, buffer);
  return std::string(buffer, n);
}

TEST(Win32Launcher, StartsAQuotedPathWithSpaces) {
  // A copy of this test program under Chinese names with spaces, told to run no test and write its report.
  char self[kMaxPathBuffer];
  ASSERT_GT(::GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  const std::string folder = TempDirectory() + "Zemvar 中国移动 G3随e行";
  const std::string exe = folder + "\\G3随e行.exe";
  const std::string report = TempDirectory() + "zemvar-launch-report.xml";
  ::CreateDirectoryW(WideFromGbk(folder).data(), nullptr);
  ::DeleteFileA(report.c_str());
  ASSERT_TRUE(::CopyFileW(WideFromGbk(self).data(), WideFromGbk(exe).data(), FALSE));

  char quoted[kMaxPathBuffer + 2];
  ASSERT_TRUE(QuotedCommandLine(exe.c_str(), quoted, sizeof quoted));
  const std::string commandLine = std::string(quoted) + " --gtest_filter=NoSuchTest --gtest_output=xml:" + report;
  Win32Launcher launcher;
  EXPECT_GT(launcher.Launch(commandLine.c_str()), 31u);
  bool ran = false;
  for (int i = 0; i < 200 && !ran; ++i) {
    ran = ::GetFileAttributesA(report.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!ran) ::Sleep(50);
  }
  EXPECT_TRUE(ran);

  for (int i = 0; i < 100 && !::DeleteFileW(WideFromGbk(exe).data()); ++i) ::Sleep(50);
  ::RemoveDirectoryW(WideFromGbk(folder).data());
  ::DeleteFileA(report.c_str());
}

TEST(Win32Launcher, MissingProgramIsAFailedStart) {
  Win32Launcher launcher;
  EXPECT_LE(launcher.Launch("\"C:\\no such folder\\eWalk.exe\""), 31u);
  EXPECT_EQ(2u, launcher.Launch(("\"" + TempDirectory() + "no such eWalk.exe\"").c_str()));
  // Unquoted, the same path with spaces would name "C:\no" and fail just the same.
  EXPECT_LE(launcher.Launch("C:\\no such folder\\eWalk.exe"), 31u);
  // A dialer that has already gone cannot be ended, and says so with the system's code.
  EXPECT_EQ(static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER), launcher.End(0xfffffff0u, 0));
}

// Once the hung dialer has exited its id may be another program's, which End leaves running.
TEST(Win32Launcher, EndsNoProcessTheWindowIsNotOf) {
  char self[kMaxPathBuffer];
  STARTUPINFOA startup{sizeof startup};
  PROCESS_INFORMATION other{};
  ASSERT_TRUE(::GetModuleFileNameA(nullptr, self, sizeof self) &&
              ::CreateProcessA(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                               &other));
  HWND ours = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(kErrorInvalidWindow, Win32Launcher().End(other.dwProcessId, ToWindowId(ours)));
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(other.hProcess, 0));
  ::DestroyWindow(ours);
  ::TerminateProcess(other.hProcess, 0);
  ::CloseHandle(other.hThread);
  ::CloseHandle(other.hProcess);
}

// Wine prefers its own sensapi.dll to another of that name unless told otherwise; this tells it, for this
// test's loads. Windows reads no such key.
class NativeSensapiFirst {
 public:
  NativeSensapiFirst() {
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    ::RegSetValueExA(key_, "sensapi", 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
  }
  ~NativeSensapiFirst() {
    if (!key_) return;
    ::RegDeleteValueA(key_, "sensapi");
    ::RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
};

// The stand-in in the test prefix's system folder, Wine's own kept beside it as "sensapi.dll.wine". It
// stays: once loaded it cannot be removed, and unless ZEMVAR_NETWORK says otherwise it answers alive, as
// Wine's does. The path of the stand-in there, or empty.
std::string SensapiInSystemFolder(const std::string& standIn) {
  char folder[kMaxPathBuffer];
  ::GetSystemDirectoryA(folder, sizeof folder);
  const std::string path = std::string(folder) + "\\sensapi.dll";
  ::MoveFileA(path.c_str(), (path + ".wine").c_str());  // the first time only: later the name is taken
  ::CopyFileA(standIn.c_str(), path.c_str(), FALSE);
  HMODULE probe = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!probe) return std::string();
  ::FreeLibrary(probe);
  return path;
}

TEST(Win32Network, AsksTheSystemsSensapiNeverOneBesideTheProgram) {
  // Wine's own IsNetworkAlive always answers alive. The stand-in the build makes answers what
  // ZEMVAR_NETWORK says; one copy goes into the system folder, another beside this program, where a
  // search by name would find it first.
  char self[kMaxPathBuffer];
  ASSERT_GT(::GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  const std::string folder = std::string(self).substr(0, std::string(self).find_last_of('\\') + 1);
  const std::string planted = folder + "sensapi.dll";
  ASSERT_TRUE(::CopyFileA((folder + "fake-sensapi\\sensapi.dll").c_str(), planted.c_str(), FALSE));
  const std::string system = SensapiInSystemFolder(folder + "fake-sensapi\\sensapi.dll");
  ASSERT_FALSE(system.empty());
  NativeSensapiFirst order;

  Win32Network network;
  ::SetEnvironmentVariableA("ZEMVAR_NETWORK", "down");
  EXPECT_FALSE(network.IsAlive()) << "the system folder's sensapi.dll was not the one asked";
  ::SetEnvironmentVariableA("ZEMVAR_NETWORK", nullptr);
  EXPECT_TRUE(network.IsAlive());
  char loaded[kMaxPathBuffer] = {};
  ::GetModuleFileNameA(::GetModuleHandleA("sensapi.dll"), loaded, sizeof loaded);
  EXPECT_STRCASEEQ(system.c_str(), loaded);
  EXPECT_EQ(nullptr, ::GetModuleHandleA(planted.c_str())) << "the planted copy was loaded";
  ::DeleteFileA(planted.c_str());
}

// A name the system resolves, through the lookup's thread, to a port nobody listens on; a resolver slower
// than the try may be.
TEST(Win32LinkProbe, ResolvesByTheSystemAndGivesUpOnASlowNameInTime) {
  EXPECT_EQ(10061u, Win32LinkProbe().Try({"localhost", 1}));  // WSAECONNREFUSED
  Win32LinkProbe slow([](const char*, std::uint8_t*) -> std::uint32_t {
    ::Sleep(3 * kProbeTimeoutMs);
    return 0;
  });
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(kProbeNameTooSlow, slow.Try({"slow.example", 80}));
  EXPECT_LT(::GetTickCount() - start, kProbeTimeoutMs + 1000);
}

// The suites run the build users get: 32-bit, under WoW64 on a 64-bit Windows (where the dialer's key is
// in the 32-bit view) and plain on a 32-bit one. The test command names the 64-bit build when it is asked
// to run that one instead, so this fails if that build slips into the ordinary run.
TEST(TestedBuild, IsThe32BitProgramInTheWindowsItClaims) {
  const char* build = std::getenv("ZEMVAR_TESTED_BUILD");
  const bool wide = build && std::strcmp(build, "x86_64") == 0;
  EXPECT_EQ(sizeof(void*), wide ? 8u : 4u);
  const char* shape = std::getenv("WINEARCH");
  ASSERT_TRUE(shape && (std::strcmp(shape, "win64") == 0 || std::strcmp(shape, "win32") == 0))
      << "started without the Windows shape its prefix was made in";
  BOOL wow64 = TRUE;
  ASSERT_TRUE(::IsWow64Process(::GetCurrentProcess(), &wow64));
  EXPECT_EQ(wow64 != FALSE, !wide && std::strcmp(shape, "win64") == 0);
  char system[kMaxPathBuffer] = {};
  const bool has64BitSystem = ::GetSystemWow64DirectoryA(system, kMaxPathBuffer) != 0;
  EXPECT_EQ(has64BitSystem, std::strcmp(shape, "win64") == 0);
  std::printf("[ build    ] pointers %u bytes, IsWow64Process %s, %s prefix\n", static_cast<unsigned>(sizeof(void*)),
              wow64 ? "TRUE" : "FALSE", shape);
}

}  // namespace
}  // namespace zemvar
