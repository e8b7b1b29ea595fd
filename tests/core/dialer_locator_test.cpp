#include "dialer/dialer_locator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fake_desktop.h"

namespace zemvar {
namespace {

using testing::FakeInstallRegistry;

class DialerLocator : public ::testing::Test {
 protected:
  // Looks up into a buffer full of junk, so that a missing terminator shows.
  bool Locate() {
    std::memset(path, 'Z', sizeof path);
    return LocateDialerExecutable(registry, path, sizeof path);
  }
  void TearDown() override {
    EXPECT_EQ(registry.opens, registry.closes);
    EXPECT_EQ(0, registry.misuses);
  }

  FakeInstallRegistry registry;
  char path[kMaxPathBuffer];
};

TEST_F(DialerLocator, JoinsDirectoryAndNameWithOneBackslash) {
  registry.SetString("ExePath", "C:\\Program Files\\China Mobile\\G3随e行\\");
  registry.SetString("ExeName", "G3随e行.exe");
  ASSERT_TRUE(Locate());
  EXPECT_STREQ("C:\\Program Files\\China Mobile\\G3随e行\\G3随e行.exe", path);

  registry.SetString("ExePath", "D:\\eWalk");
  ASSERT_TRUE(Locate());
  EXPECT_STREQ("D:\\eWalk\\G3随e行.exe", path);

  registry.SetString("ExePath", "");
  ASSERT_TRUE(Locate());
  EXPECT_STREQ("\\G3随e行.exe", path);
  EXPECT_EQ(3, registry.opens);
}

TEST_F(DialerLocator, MissingKeyOrValuesMeanNotInstalled) {
  registry.present = false;
  EXPECT_FALSE(Locate());
  EXPECT_EQ(0, registry.opens);

  registry.present = true;
  registry.SetString("ExePath", "C:\\eWalk\\");
  EXPECT_FALSE(Locate());  // no "ExeName"
  registry.values.clear();
  registry.SetString("ExeName", "eWalk.exe");
  EXPECT_FALSE(Locate());  // no "ExePath"
  EXPECT_EQ(2, registry.opens);

  EXPECT_FALSE(LocateDialerExecutable(registry, nullptr, kMaxPathBuffer));
  EXPECT_EQ(2, registry.opens);
}

TEST_F(DialerLocator, JoinedPathMustFitTheBuffer) {
  const std::string directory(200, 'd');
  registry.SetString("ExePath", directory);
  registry.SetString("ExeName", std::string(58, 'n'));  // 200 + 1 + 58 + terminator = 260
  ASSERT_TRUE(Locate());
  EXPECT_EQ(directory + "\\" + std::string(58, 'n'), path);

  registry.SetString("ExeName", std::string(59, 'n'));
  EXPECT_FALSE(Locate());
  EXPECT_STREQ("", path);

  // A backslash already there is not counted twice.
  registry.SetString("ExePath", directory + "\\");
  registry.SetString("ExeName", std::string(58, 'n'));
  ASSERT_TRUE(Locate());
  EXPECT_EQ(directory + "\\" + std::string(58, 'n'), path);

  // A directory longer than the buffer is not read at all.
  registry.SetString("ExePath", std::string(260, 'd'));
  EXPECT_FALSE(Locate());
}

TEST_F(DialerLocator, ValuesWithoutTerminatorAreTerminatedOrRefused) {
  registry.values["ExePath"] = {kRegString, "C:\\eWalk"};
  registry.values["ExeName"] = {kRegString, "eWalk.exe"};
  ASSERT_TRUE(Locate());
  EXPECT_STREQ("C:\\eWalk\\eWalk.exe", path);

  // A name that fills its 64 bytes: with its terminator inside it is used, without it refused.
  registry.values["ExeName"] = {kRegString, std::string(63, 'n') + '\0'};
  ASSERT_TRUE(Locate());
  EXPECT_EQ(std::string("C:\\eWalk\\") + std::string(63, 'n'), path);
  registry.values["ExeName"] = {kRegString, std::string(64, 'n')};
  EXPECT_FALSE(Locate());

  registry.values["ExeName"] = {kRegString, "eWalk.exe"};
  registry.values["ExePath"] = {kRegString, std::string(kMaxPathBuffer, 'd')};
  EXPECT_FALSE(Locate());
}

TEST_F(DialerLocator, ValuesOfOtherTypesMeanNotInstalled) {
  registry.SetString("ExeName", "eWalk.exe");
  registry.values["ExePath"] = {4 /* REG_DWORD */, std::string("\x43\x3a\x5c\x00", 4)};
  EXPECT_FALSE(Locate());
  registry.SetString("ExePath", "C:\\eWalk");
  registry.values["ExeName"] = {3 /* REG_BINARY */, std::string("eWalk.exe\0", 10)};
  EXPECT_FALSE(Locate());
  registry.values["ExeName"] = {kRegExpandString, std::string("eWalk.exe\0", 10)};
  EXPECT_TRUE(Locate());
}

TEST_F(DialerLocator, RefusedLookupLeavesAnEmptyString) {
  // A refused value is read into the buffer before it is refused; none of its bytes may stay there.
  registry.SetString("ExeName", "eWalk.exe");
  registry.values["ExePath"] = {3 /* REG_BINARY */, std::string("\xff\xfe", 2)};
  EXPECT_FALSE(Locate());
  EXPECT_STREQ("", path);
  registry.SetString("ExePath", "C:\\eWalk");
  registry.values["ExeName"] = {4 /* REG_DWORD */, std::string(4, 'x')};
  EXPECT_FALSE(Locate());
  EXPECT_STREQ("", path);
}

TEST(QuotedCommandLine, QuotesThePathWhenItFits) {
  char line[kMaxPathBuffer + 2];
  ASSERT_TRUE(QuotedCommandLine("C:\\Program Files\\eWalk\\eWalk.exe", line, sizeof line));
  EXPECT_STREQ("\"C:\\Program Files\\eWalk\\eWalk.exe\"", line);

  char small[8];
  ASSERT_TRUE(QuotedCommandLine("abcde", small, sizeof small));  // 1 + 5 + 1 + terminator
  EXPECT_STREQ("\"abcde\"", small);
  EXPECT_FALSE(QuotedCommandLine("abcdef", small, sizeof small));
  EXPECT_STREQ("", small);

  // The longest path a lookup can give always fits the check's command-line buffer.
  const std::string longest(kMaxPathBuffer - 1, 'p');
  EXPECT_TRUE(QuotedCommandLine(longest.c_str(), line, sizeof line));
}

TEST(SystemDll, IsNamedByItsFullPathInTheSystemFolder) {
  std::string path = "untouched";
  ASSERT_TRUE(SystemDllPath("C:\\WINDOWS\\system32", "sensapi.dll", &path));
  EXPECT_EQ("C:\\WINDOWS\\system32\\sensapi.dll", path);
  ASSERT_TRUE(SystemDllPath("S:\\", "sensapi.dll", &path));
  EXPECT_EQ("S:\\sensapi.dll", path);
  path = "untouched";
  EXPECT_FALSE(SystemDllPath("", "sensapi.dll", &path)) << "a bare name would be searched for everywhere";
  EXPECT_FALSE(SystemDllPath("C:\\" + std::string(250, 'w'), "sensapi.dll", &path));
  EXPECT_EQ("untouched", path);
}

}  // namespace
}  // namespace zemvar
