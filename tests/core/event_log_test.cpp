#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tray/event_log.h"

namespace zemvar {
namespace {

class MemoryLogFiles : public LogFiles {
 public:
  bool Size(const std::string& path, std::uint64_t* size) override {
    ++calls;
    auto it = files.find(path);
    if (it == files.end()) return false;
    *size = it->second.size();
    return true;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    ++calls;
    if (!replaceable || !files.count(from)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool Append(const std::string& path, const std::string& bytes) override {
    ++calls;
    if (!appendable) return false;
    files[path] += bytes;
    return true;
  }
  bool Begins(const std::string& path, const std::string& bytes) override {
    return files.count(path) && files[path].compare(0, bytes.size(), bytes) == 0;
  }
  std::map<std::string, std::string> files;
  bool appendable = true, replaceable = true;
  int calls = 0;
};

// Each reading gives the next time of the list, and the last one from then on.
class ListClock : public LocalClock {
 public:
  explicit ListClock(std::vector<LocalTime> times) : times_(std::move(times)) {}
  LocalTime Now() override { return times_[next_ < times_.size() - 1 ? next_++ : next_]; }

 private:
  std::vector<LocalTime> times_;
  std::size_t next_ = 0;
};

constexpr char kLog[] = "C:\\Tools\\Zemvar.log";
constexpr char kOlder[] = "C:\\Tools\\Zemvar.log.1";

TEST(EventLog, LinesAreTheLocalTimeAndTheEventInTheTooltipsCodePage) {
  MemoryLogFiles files;
  ListClock clock({{2026, 3, 7, 9, 5, 2}});
  EventLog log(files, clock, kLog);
  Settings settings;
  log.Write(StartEvent(settings));
  log.Write(StatusEvent(1));
  log.Write(StatusEvent(0));
  settings.autoRun = 1;
  settings.seconds = 45;
  settings.restartHung = 2;
  settings.probe = ParseProbeTarget("127.0.0.1:80");
  settings.restartOffline = 3;
  log.Write(StartEvent(settings));
  log.Write(SettingsEvent(settings));
  log.Write(SettingsEvent(settings, SaveErrors{5, 0}));
  log.Write(SettingsEvent(settings, SaveErrors{32, 5}));
  log.Write(kExitEvent);
  EXPECT_EQ(kUtf8Mark + std::string("2026-03-07 09:05:02 start AutoRun=0 Seconds=30\r\n"
            "2026-03-07 09:05:02 status 1 未安装“G3随e行”\r\n"
            "2026-03-07 09:05:02 status 0 G3随e行 Tessaline\r\n"
            "2026-03-07 09:05:02 start AutoRun=1 Seconds=45 RestartHung=2 Probe=127.0.0.1:80 RestartOffline=3\r\n"
            "2026-03-07 09:05:02 settings AutoRun=1 Seconds=45\r\n"
            "2026-03-07 09:05:02 settings AutoRun=1 Seconds=45 in use but not saved: config.ini error 5\r\n"
            "2026-03-07 09:05:02 settings AutoRun=1 Seconds=45 in use but not saved: config.ini error 32, Run value "
            "error 5\r\n"
            "2026-03-07 09:05:02 exit\r\n"),
            files.files[kLog]);
  // GBK, as the tray shows it: "未安装".
  EXPECT_NE(std::string::npos, files.files[kLog].find("status 1 \xce\xb4\xb0\xb2\xd7\xb0"));
}

TEST(EventLog, EachLineTakesTheTimeItIsWrittenAcrossMidnightAndTheYearEnd) {
  MemoryLogFiles files;
  ListClock clock({{2026, 12, 31, 23, 59, 59}, {2027, 1, 1, 0, 0, 0}, {2027, 1, 1, 0, 0, 1}});
  EventLog log(files, clock, kLog);
  log.Write(StatusEvent(4));
  log.Write(StatusEvent(0));
  log.Write(kExitEvent);
  EXPECT_EQ(kUtf8Mark + std::string("2026-12-31 23:59:59 status 4 请插入3G无线网卡\r\n"
            "2027-01-01 00:00:00 status 0 G3随e行 Tessaline\r\n"
            "2027-01-01 00:00:01 exit\r\n"),
            files.files[kLog]);
}

TEST(EventLog, ALineThatWouldPassTheLimitGoesToAFreshFileAndTheOldOneReplacesTheOlderFile) {
  MemoryLogFiles files;
  ListClock clock({{2026, 1, 2, 3, 4, 5}});
  EventLog log(files, clock, kLog);
  const std::string line = "2026-01-02 03:04:05 exit\r\n";
  files.files[kOlder] = "the run before last";
  files.files[kLog] = kUtf8Mark + std::string(kLogLimitBytes - line.size() - 3, 'a');

  // Exactly at the limit still fits.
  log.Write(kExitEvent);
  EXPECT_EQ(kLogLimitBytes, files.files[kLog].size());
  EXPECT_EQ("the run before last", files.files[kOlder]);

  log.Write(kExitEvent);
  EXPECT_EQ(kUtf8Mark + line, files.files[kLog]);
  EXPECT_EQ(kLogLimitBytes, files.files[kOlder].size());
  EXPECT_EQ(line, files.files[kOlder].substr(files.files[kOlder].size() - line.size()));

  // A file found far over the limit at start goes aside whole with the first line.
  files.files[kLog] = std::string(3 * kLogLimitBytes, 'b');
  log.Write(kExitEvent);
  EXPECT_EQ(kUtf8Mark + line, files.files[kLog]);
  EXPECT_EQ(3 * kLogLimitBytes, files.files[kOlder].size());
}

// An older version's log is GBK: it goes aside whole rather than get UTF-8 lines, and the limit counts
// the bytes as the file holds them.
TEST(EventLog, AnOlderVersionsLogGoesAsideWholeAndTheLimitCountsTheFilesOwnBytes) {
  struct LongerFiles : MemoryLogFiles {
    std::string Encoded(const std::string& gbk) override { return gbk + "+"; }
  } files;
  ListClock clock({{2026, 1, 2, 3, 4, 5}});
  EventLog log(files, clock, kLog);
  const std::string line = "2026-01-02 03:04:05 exit\r\n+";
  files.files[kLog] = std::string(kLogLimitBytes - 100, 'g');
  log.Write(kExitEvent);
  EXPECT_EQ(kLogLimitBytes - 100, files.files[kOlder].size());
  EXPECT_EQ(kUtf8Mark + line, files.files[kLog]);
  files.files[kLog] = kUtf8Mark + std::string(kLogLimitBytes - 3 - line.size() + 1, 'u');
  log.Write(kExitEvent);
  EXPECT_EQ(kUtf8Mark + line, files.files[kLog]) << "the line as the file holds it would pass the limit";
}

TEST(EventLog, AFileThatCannotBeWrittenOrMovedAsideLosesTheLineAndNothingMore) {
  MemoryLogFiles files;
  ListClock clock({{2026, 1, 2, 3, 4, 5}});
  EventLog log(files, clock, kLog);
  // A read-only folder, a folder of the log's name, a file another program holds.
  files.appendable = false;
  log.Write(StatusEvent(3));
  EXPECT_TRUE(files.files.empty());
  files.appendable = true;
  log.Write(StatusEvent(0));
  EXPECT_EQ(kUtf8Mark + std::string("2026-01-02 03:04:05 status 0 G3随e行 Tessaline\r\n"), files.files[kLog]);

  // The older file held by another program: the log stays within its limit rather than grow.
  files.files[kLog] = std::string(kLogLimitBytes, 'a');
  files.replaceable = false;
  log.Write(kExitEvent);
  EXPECT_EQ(kLogLimitBytes, files.files[kLog].size());
  EXPECT_EQ(0u, files.files.count(kOlder));
}

TEST(EventLog, OffItTouchesNoFile) {
  MemoryLogFiles files;
  EventLog log;
  log.Write(StartEvent(Settings()));
  log.Write(kExitEvent);
  EXPECT_EQ(0, files.calls);
}

TEST(EventLog, FileSitsBesideTheExecutableWhenBothNamesFit) {
  std::string path;
  ASSERT_TRUE(LogPathFor("C:\\Tools\\Zemvar.exe", &path));
  EXPECT_EQ(kLog, path);
  ASSERT_TRUE(LogPathFor("D:\\Renamed.exe", &path));
  EXPECT_EQ("D:\\Zemvar.log", path);
  // "Zemvar.log.1" (12 characters and the backslash) must fit in 259 as well.
  const std::string dir = "C:\\" + std::string(243, 'd');  // 246 characters
  EXPECT_TRUE(LogPathFor(dir + "\\Z.exe", &path));
  path = "untouched";
  EXPECT_FALSE(LogPathFor(dir + "d\\Z.exe", &path));
  EXPECT_FALSE(LogPathFor("", &path));
  EXPECT_EQ("untouched", path);
}

}  // namespace
}  // namespace zemvar
