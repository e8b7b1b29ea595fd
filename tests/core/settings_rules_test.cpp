#include <climits>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/settings_rules.h"

namespace zemvar {
namespace {

class MemoryProfile : public ProfileFile {
 public:
  bool Read(const std::string& file, const char* section, const char* key, std::string* value) override {
    auto it = values.find(file + "|" + section + "|" + key);
    if (it == values.end()) return false;
    *value = it->second;
    return true;
  }
  bool Write(const std::string& file, const char* section, const char* key, const char* value) override {
    if (refuse) return lastError_ = refuse, false;
    writes.push_back(file + "|" + section + "|" + key + "=" + value);
    values[file + "|" + section + "|" + key] = value;
    return true;
  }
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
  std::uint32_t refuse = 0;  // the error every write fails with; 0: writes work
};

class MemoryRunKey : public RunKey {
 public:
  bool Open() override {
    ++opens;
    if (!openable) lastError_ = 5;
    return openable;
  }
  bool Has(const std::string& name) override { return values.count(name) != 0; }
  bool Set(const std::string& name, const std::string& data) override { return values[name] = data, true; }
  bool Remove(const std::string& name) override { return values.erase(name), true; }
  void Close() override { ++closes; }
  bool Approval(const std::string& name, std::string* bytes) override {
    return approvals.count(name) && (*bytes = approvals[name], true);
  }
  bool SetApproval(const std::string& name, const std::string& bytes) override { return approvals[name] = bytes, true; }
  std::map<std::string, std::string> values, approvals;
  bool openable = true;
  int opens = 0, closes = 0;
};

TEST(SettingsPath, SitsBesideTheExecutable) {
  std::string path;
  ASSERT_TRUE(SettingsPathFor("C:\\Tools\\Zemvar\\Zemvar.exe", &path));
  EXPECT_EQ("C:\\Tools\\Zemvar\\config.ini", path);
  ASSERT_TRUE(SettingsPathFor("D:\\Zemvar.exe", &path));
  EXPECT_EQ("D:\\config.ini", path);
  ASSERT_TRUE(SettingsPathFor("\\\\server\\share\\a.b.exe", &path));
  EXPECT_EQ("\\\\server\\share\\config.ini", path);
}

TEST(SettingsPath, ThatDoesNotFitIsNoPathAtAll) {
  std::string path = "untouched";
  EXPECT_FALSE(SettingsPathFor("", &path));
  // Directory plus "\config.ini" (11) must fit in 259 characters.
  const std::string dir = "C:\\" + std::string(245, 'd');  // 248 characters
  EXPECT_TRUE(SettingsPathFor(dir + "\\Z.exe", &path));
  EXPECT_EQ(259u, path.size());
  path = "untouched";
  EXPECT_FALSE(SettingsPathFor(dir + "d\\Z.exe", &path));
  EXPECT_EQ("untouched", path);
  EXPECT_FALSE(SettingsPathFor("C:\\" + std::string(300, 'x') + "\\Z.exe", &path));

  // Paths are UTF-8 and the limits count what Windows counts: UTF-16 units, not bytes.
  std::string korean;  // "한" is 3 bytes, 1 unit; "😀" 4 bytes, 2 units
  for (int i = 0; i < 81; ++i) korean += "\xED\x95\x9C";
  const std::string wide = "C:\\" + korean + std::string(162, 'k') + "\xF0\x9F\x98\x80";  // 248 units, 412 bytes
  EXPECT_EQ(248u, Utf16Length(wide));
  EXPECT_TRUE(SettingsPathFor(wide + "\\Z.exe", &path));
  EXPECT_EQ(wide + "\\config.ini", path);
  EXPECT_FALSE(SettingsPathFor(wide + "k\\Z.exe", &path)) << "260 units with the terminator do not fit";
  std::string name;
  EXPECT_TRUE(RunValueNameFor("C:\\" + korean.substr(0, 3 * 27) + ".exe", &name)) << "31 units, 85 bytes";
  EXPECT_FALSE(RunValueNameFor("C:\\" + korean.substr(0, 3 * 28) + ".exe", &name));
}

TEST(RunValue, NameDropsOnlyTheLastExtension) {
  std::string name;
  ASSERT_TRUE(RunValueNameFor("C:\\Tools\\Zemvar.exe", &name));
  EXPECT_EQ("Zemvar", name);
  ASSERT_TRUE(RunValueNameFor("C:\\Zem.var.exe", &name));
  EXPECT_EQ("Zem.var", name);
  ASSERT_TRUE(RunValueNameFor("C:\\v1.2\\Zemvar", &name));  // no dot in the file name
  EXPECT_EQ("Zemvar", name);
  ASSERT_TRUE(RunValueNameFor("E:\\Zemvar.exe", &name));  // root directory
  EXPECT_EQ("Zemvar", name);
}

TEST(RunValue, NameThatDoesNotFitIsRefused) {
  std::string name = "untouched";
  ASSERT_TRUE(RunValueNameFor("C:\\" + std::string(27, 'n') + ".exe", &name));  // 31 characters
  EXPECT_EQ(std::string(27, 'n'), name);
  name = "untouched";
  EXPECT_FALSE(RunValueNameFor("C:\\" + std::string(28, 'n') + ".exe", &name));
  EXPECT_FALSE(RunValueNameFor("C:\\.exe", &name));  // would name the key's default value
  EXPECT_EQ("untouched", name);
}

TEST(RunValue, DataIsQuotedOnlyWhenItHoldsASpace) {
  EXPECT_EQ("C:\\Tools\\Zemvar.exe", RunValueDataFor("C:\\Tools\\Zemvar.exe"));
  EXPECT_EQ("\"C:\\Program Files\\Zemvar\\Zemvar.exe\"", RunValueDataFor("C:\\Program Files\\Zemvar\\Zemvar.exe"));
}

TEST(SecondsText, NormalisesLikeAtoiWithZeroMeaningThirty) {
  EXPECT_EQ(30, SecondsFromText(""));
  EXPECT_EQ(30, SecondsFromText("abc"));
  EXPECT_EQ(30, SecondsFromText("0"));
  EXPECT_EQ(30, SecondsFromText(nullptr));
  EXPECT_EQ(7, SecondsFromText("007"));
  EXPECT_EQ(12, SecondsFromText("+12"));
  EXPECT_EQ(-5, SecondsFromText("-5"));
  EXPECT_EQ(45, SecondsFromText(" \t45s"));
  EXPECT_EQ(30, SecondsFromText("- 5"));
  EXPECT_EQ(INT_MAX, SecondsFromText("99999999999999999999"));
  EXPECT_EQ(INT_MIN, SecondsFromText("-99999999999999999999"));
  EXPECT_EQ(INT_MAX, SecondsFromText("2147483647"));
  EXPECT_EQ(INT_MIN, SecondsFromText("-2147483648"));
}

constexpr char kExe[] = "C:\\Tools\\Zemvar.exe";
constexpr char kIni[] = "C:\\Tools\\config.ini";

TEST(LoadSettings, TakesTheStoredValues) {
  MemoryProfile profile;
  Settings s = LoadSettings(profile, kExe);
  EXPECT_EQ(0, s.autoRun);
  EXPECT_EQ(30, s.seconds);

  for (auto [stored, expected] : std::vector<std::pair<const char*, int>>{{"2", 1}, {"1", 1}, {"-1", 0}, {"0", 0}}) {
    profile.values[std::string(kIni) + "|Setup|AutoRun"] = stored;
    EXPECT_EQ(expected, LoadSettings(profile, kExe).autoRun) << stored;
  }
  for (auto [stored, expected] : std::vector<std::pair<const char*, int>>{{"0", 0}, {"-1", -1}, {"45", 45}, {"", 0}}) {
    profile.values[std::string(kIni) + "|Setup|Seconds"] = stored;
    EXPECT_EQ(expected, LoadSettings(profile, kExe).seconds) << stored;
  }
  // The log is read like AutoRun: above 0 is on, and a number too large for an int is still above 0.
  EXPECT_EQ(0, LoadSettings(profile, kExe).log);
  for (auto [stored, expected] : std::vector<std::pair<const char*, int>>{
           {"1", 1}, {"abc", 0}, {"-1", 0}, {"99999999999", 1}, {"0", 0}, {"", 0}}) {
    profile.values[std::string(kIni) + "|Setup|Log"] = stored;
    EXPECT_EQ(expected, LoadSettings(profile, kExe).log) << stored;
  }
  EXPECT_EQ(0, LoadSettings(profile, kExe).restartHung);
  for (auto [stored, expected] : std::vector<std::pair<const char*, int>>{
           {"3", 3}, {"1", 2}, {"abc", 0}, {"-1", 0}, {"99999999999", 2147483647}, {"", 0}}) {
    profile.values[std::string(kIni) + "|Setup|RestartHung"] = stored;
    EXPECT_EQ(expected, LoadSettings(profile, kExe).restartHung) << stored;
  }
  for (auto [stored, expected] : std::vector<std::pair<const char*, int>>{{"1", 3}, {"4", 4}, {"0", 0}, {"x", 0}}) {
    profile.values[std::string(kIni) + "|Setup|RestartOffline"] = stored;
    EXPECT_EQ(expected, LoadSettings(profile, kExe).restartOffline) << stored;
  }
  // The probe is on only for HOST:PORT; an IPv6 address is off, XP having none by default.
  const std::string name(253, 'a');
  const std::vector<std::string> probes = {"www.example.cn:80", "10.0.0.1:65535", name + ":1", "", "host", "host:",
      ":80", "host:0", "host:65536", "host:80x", "host:+80", "[::1]:80", "::1:80", name + "a:1", name + name + ":1"};
  for (std::size_t i = 0; i < probes.size(); ++i) {
    profile.values[std::string(kIni) + "|Setup|Probe"] = probes[i];
    const ProbeTarget probe = LoadSettings(profile, kExe).probe;
    EXPECT_EQ(i < 3 ? probes[i] : "", probe.On() ? probe.Text() : "") << probes[i];
  }
  std::uint8_t address[4];
  EXPECT_TRUE(Ipv4Address("127.0.0.1", address) && address[0] == 127 && address[3] == 1);
  for (const char* name : {"127.0.0", "127.0.0.1.", "256.0.0.1", "1.2.3.x", "localhost"}) EXPECT_FALSE(Ipv4Address(name, address)) << name;
  // A path that does not fit reads nothing, rather than another file.
  EXPECT_EQ(30, LoadSettings(profile, "C:\\" + std::string(260, 'x') + "\\Zemvar.exe").seconds);
}

TEST(StoreSettings, WritesBothKeysInOrderAndReportsAChangedInterval) {
  MemoryProfile profile;
  MemoryRunKey run;
  Settings s;
  EXPECT_TRUE(StoreSettings(profile, run, kExe, true, "007", &s));
  EXPECT_EQ((std::vector<std::string>{std::string(kIni) + "|Setup|AutoRun=1", std::string(kIni) + "|Setup|Seconds=7"}),
            profile.writes);
  EXPECT_EQ(1, s.autoRun);
  EXPECT_EQ(7, s.seconds);
  EXPECT_EQ("C:\\Tools\\Zemvar.exe", run.values.at("Zemvar"));

  // Unchanged interval: both keys rewritten, no restart asked for.
  profile.writes.clear();
  EXPECT_FALSE(StoreSettings(profile, run, kExe, false, "7", &s));
  EXPECT_EQ(2u, profile.writes.size());
  EXPECT_EQ(0, s.autoRun);
  EXPECT_EQ(0u, run.values.count("Zemvar"));

  // A loaded 0 saved as it is shown becomes 30, which is a change.
  s.seconds = 0;
  EXPECT_TRUE(StoreSettings(profile, run, kExe, false, "0", &s));
  EXPECT_EQ("30", profile.values.at(std::string(kIni) + "|Setup|Seconds"));
  EXPECT_EQ(30, s.seconds);
}

TEST(StoreSettings, PathThatDoesNotFitSkipsTheFileButAppliesTheRest) {
  MemoryProfile profile;
  MemoryRunKey run;
  Settings s;
  const std::string exe = "C:\\" + std::string(250, 'x') + "\\Zemvar.exe";
  SaveErrors errors;
  EXPECT_TRUE(StoreSettings(profile, run, exe, false, "15", &s, &errors));
  EXPECT_TRUE(profile.writes.empty());
  EXPECT_EQ(15, s.seconds);
  EXPECT_EQ(kErrorNameTooLong, errors.file);
}

// A save that reached neither the file nor the Run key says so with the system's codes, and still applies.
TEST(StoreSettings, WritesThatFailAreReportedWithTheirErrors) {
  MemoryProfile profile;
  MemoryRunKey run;
  Settings s;
  SaveErrors errors;
  StoreSettings(profile, run, kExe, true, "45", &s, &errors);
  EXPECT_EQ(0u, errors.file);
  EXPECT_EQ(0u, errors.runKey);
  profile.refuse = 5;
  run.openable = false;
  EXPECT_TRUE(StoreSettings(profile, run, kExe, true, "60", &s, &errors));
  EXPECT_EQ(5u, errors.file);
  EXPECT_EQ(5u, errors.runKey);
  EXPECT_EQ(60, s.seconds);
}

TEST(RunAtLogon, LeavesAnExistingValueAloneAndRemovesOnlyOurs) {
  MemoryRunKey run;
  run.values["Zemvar"] = "D:\\Elsewhere\\Zemvar.exe";
  run.values["Other"] = "C:\\other.exe";
  SetRunAtLogon(run, kExe, true);
  EXPECT_EQ("D:\\Elsewhere\\Zemvar.exe", run.values.at("Zemvar"));
  SetRunAtLogon(run, kExe, false);
  SetRunAtLogon(run, kExe, false);  // absent: no harm
  EXPECT_EQ(0u, run.values.count("Zemvar"));
  EXPECT_EQ(1u, run.values.count("Other"));
  EXPECT_EQ(run.opens, run.closes);

  SetRunAtLogon(run, "C:\\Program Files\\Zem.var.exe", true);
  EXPECT_EQ("\"C:\\Program Files\\Zem.var.exe\"", run.values.at("Zem.var"));
}

TEST(RunAtLogon, DoesNothingWithoutAKeyOrAName) {
  MemoryRunKey run;
  run.openable = false;
  SetRunAtLogon(run, kExe, true);
  EXPECT_TRUE(run.values.empty());
  run.openable = true;
  SetRunAtLogon(run, "C:\\" + std::string(40, 'n') + ".exe", true);
  SetRunAtLogon(run, "", true);
  EXPECT_TRUE(run.values.empty());
  EXPECT_EQ(1, run.opens);
}

// Task Manager marks a Run value off beside it; ticking the box is the user's wish to start again.
TEST(RunAtLogon, TaskManagersSwitchCountsOnlyWhenOffAndTickingTurnsItBackOn) {
  const std::string off = std::string("\x03", 1) + std::string(11, '\x7f');
  for (const std::string& on : {std::string("\x02", 1) + std::string(11, '\0'), std::string("\x06", 1) + std::string(11, '\1'),
                                std::string(), std::string("\x03", 1), "\x03" + std::string(39, '\0'), std::string(12, '\x01')}) {
    EXPECT_FALSE(ApprovalSaysOff(on)) << on.size();
  }
  EXPECT_TRUE(ApprovalSaysOff(off));
  EXPECT_TRUE(ApprovalSaysOff("\x07" + off.substr(1)));

  MemoryRunKey run;
  EXPECT_FALSE(SwitchedOffAtLogon(run, kExe)) << "no switch at all: Windows 7 and before";
  run.approvals["Zemvar"] = off;
  EXPECT_TRUE(SwitchedOffAtLogon(run, kExe));
  SetRunAtLogon(run, kExe, false);
  EXPECT_EQ(off, run.approvals["Zemvar"]) << "clearing the box removes the Run value only";
  EXPECT_EQ(0u, SetRunAtLogon(run, kExe, true));
  EXPECT_EQ(std::string("\x02", 1) + std::string(11, '\0'), run.approvals["Zemvar"]);
  EXPECT_FALSE(SwitchedOffAtLogon(run, kExe));
  EXPECT_EQ(1u, run.values.count("Zemvar"));
}

TEST(Placement, CentresInTheWorkAreaAndKeepsTheCornerInside) {
  const Rect work{0, 0, 1024, 740};
  Point p = CentredIn(work, 350, 150);
  EXPECT_EQ(337, p.x);
  EXPECT_EQ(295, p.y);
  p = CentredIn(Rect{100, 50, 400, 250}, 1000, 1000);
  EXPECT_EQ(100, p.x);
  EXPECT_EQ(50, p.y);
}

}  // namespace
}  // namespace zemvar
