// The event log against real files under Wine: a line with the local time, the move to Zemvar.log.1, and
// the files and folders that refuse a line.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tray/tray_rules.h"
#include "tray/win32_event_log.h"

namespace zemvar {
namespace {

std::string Contents(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<none>";
  std::string text(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
  CloseHandle(file);
  return text;
}

void Replace(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Stamp(const SYSTEMTIME& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

class EventLogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    dir = std::string(temp) + "zemvar log test";
    CreateDirectoryA(dir.c_str(), nullptr);
    log = dir + "\\Zemvar.log";
    older = log + ".1";
    TearDown();
  }
  void TearDown() override {
    DeleteFileA(log.c_str());
    RemoveDirectoryA(log.c_str());
    DeleteFileA(older.c_str());
  }
  std::string dir, log, older;
  Win32LogFiles files;
  Win32LocalClock clock;
};

TEST_F(EventLogFile, ARealFileGetsTheLocalTimeAndMovesAsideBeforeItPassesTheLimit) {
  EventLog events(files, clock, log);
  SYSTEMTIME before, after;
  GetLocalTime(&before);
  events.Write(StatusEvent(4));
  GetLocalTime(&after);
  const std::string text = Contents(log);
  const std::string status = files.Encoded(" status 4 请插入3G无线网卡\r\n");
  EXPECT_EQ("\xE8\xAF\xB7", status.substr(10, 3)) << "UTF-8, whatever the code page";
  ASSERT_EQ(3 + 19 + status.size(), text.size()) << text;
  EXPECT_EQ(kUtf8Mark + status, text.substr(0, 3) + text.substr(22));
  // The stamp is the clock's reading in this very format, not another field of the system time.
  EXPECT_LE(Stamp(before), text.substr(3, 19));
  EXPECT_GE(Stamp(after), text.substr(3, 19));

  // A file found over the limit at start goes aside whole at the first line, replacing the older one.
  Replace(log, std::string(300 * 1024, 'x'));
  Replace(older, "the run before last");
  events.Write(kExitEvent);
  EXPECT_EQ(300u * 1024, Contents(older).size());
  const std::string exitLine = Contents(log);
  EXPECT_EQ(" exit\r\n", exitLine.substr(22));

  // Exactly at the limit still fits; the next line starts a fresh file.
  Replace(log, std::string(kLogLimitBytes - (exitLine.size() - 3), 'y'));
  events.Write(kExitEvent);
  EXPECT_EQ(kLogLimitBytes, Contents(log).size());
  events.Write(kExitEvent);
  EXPECT_EQ(exitLine.size(), Contents(log).size());
  EXPECT_EQ(kLogLimitBytes, Contents(older).size());
}

TEST_F(EventLogFile, AFolderOfItsNameALockedFileOrAReadOnlyFolderLosesTheLineAndNothingElse) {
  EventLog events(files, clock, log);
  ASSERT_TRUE(CreateDirectoryA(log.c_str(), nullptr));
  // A folder reports size 0, so only the seam itself shows that it is never taken for a full log.
  std::uint64_t size = 0;
  EXPECT_FALSE(files.Size(log, &size));
  events.Write(kExitEvent);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), GetFileAttributesA(log.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ("<none>", Contents(older));
  RemoveDirectoryA(log.c_str());

  // Another program holds the file, sharing reading and writing but not its name: a line still gets in,
  // but a full file cannot be moved aside and so takes no more.
  for (const std::string& held : {std::string("held\r\n"), std::string(kLogLimitBytes, 'h')}) {
    Replace(log, held);
    HANDLE lock = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    events.Write(StatusEvent(2));
    CloseHandle(lock);
    const std::string text = Contents(log);
    if (held.size() < kLogLimitBytes) {
      EXPECT_EQ(held, text.substr(0, held.size()));
      EXPECT_EQ(files.Encoded(" status 2 " + std::string(StatusText(2)) + "\r\n"), text.substr(held.size() + 19));
    } else {
      EXPECT_EQ(held.size(), text.size()) << "a full file that could not move aside took a line";
      EXPECT_TRUE(held == text);
    }
    EXPECT_EQ("<none>", Contents(older));
  }
  // Let go, it takes lines again.
  events.Write(kExitEvent);
  EXPECT_EQ(kLogLimitBytes, Contents(older).size());
  EXPECT_EQ(" exit\r\n", Contents(log).substr(22));

  // Wine run by root would write into a folder of mode 555; sysfs refuses new files to everyone, and Wine
  // answers access denied, as Windows does in a folder the user may not write to.
  const std::string readOnly = "Z:\\sys\\Zemvar.log";
  HANDLE probe = CreateFileA("Z:\\sys\\zemvar-probe", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_EQ(INVALID_HANDLE_VALUE, probe);
  // The probe shows no file can appear there; what is left to see is that the refusal is reported.
  EXPECT_FALSE(files.Append(readOnly, "line\r\n"));
  EventLog refused(files, clock, readOnly);
  refused.Write(StatusEvent(0));
}

}  // namespace
}  // namespace zemvar
