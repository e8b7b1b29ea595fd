// The real connection check (real windows, registry, process start and pauses) against the dialer
// simulator, one road of the check per test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialer/check_cycle.h"
#include "dialer/dialer_prompts.h"
#include "dialer/win32_desktop.h"
#include "simulator.h"

namespace zemvar {
namespace {

using testing::Simulator;
using Lines = std::vector<std::string>;

class FixedNetwork : public Network {
 public:
  explicit FixedNetwork(bool alive) : alive_(alive) {}
  bool IsAlive() override { return alive_; }

 private:
  bool alive_;
};

std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

class CheckAgainstSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EndStrayDialers();
    testing::RemoveInstallRecord();
  }
  void TearDown() override {
    testing::EndStrayDialers();
    testing::RemoveInstallRecord();
  }

  ConnectionStatus Check(Network& network) {
    CheckEnvironment env{windows.desktop, windows.pauses, network, windows.registry, windows.launcher};
    return RunConnectionCheck(env);
  }
  ConnectionStatus Check() { return Check(aliveNetwork); }

  Win32CheckEnvironment windows;
  FixedNetwork aliveNetwork{true};
  FixedNetwork downNetwork{false};
};

TEST_F(CheckAgainstSimulator, NotInstalledAndNotRunning) {
  EXPECT_EQ(StatusDialerNotInstalled, Check());
  EXPECT_EQ(0u, dialerMainWindow);
}

TEST_F(CheckAgainstSimulator, InstallRecordNamingNoProgram) {
  Simulator sim(TestName());
  ASSERT_TRUE(testing::SetInstallRecord(sim.Folder() + "gone\\", "dialer-sim.exe"));
  EXPECT_EQ(StatusLaunchFailed, Check());

  // A name that is there but is no program.
  ASSERT_TRUE(sim.WriteArgs("--lang en"));
  ASSERT_TRUE(testing::SetInstallRecord(sim.Folder(), "dialer-sim.args"));
  EXPECT_EQ(StatusLaunchFailed, Check());
}

TEST_F(CheckAgainstSimulator, MarkerWindowWithoutMainWindow) {
  Simulator sim(TestName());
  ASSERT_TRUE(sim.ready());
  ASSERT_TRUE(sim.Start("--no-main --no-detect"));
  const DWORD start = GetTickCount();
  EXPECT_EQ(StatusNoMainWindow, Check());
  EXPECT_GE(GetTickCount() - start, 10000u);  // 21 tries of half a second
  ASSERT_TRUE(sim.Sync());
  EXPECT_EQ(Lines{}, sim.Actions());
}

// The dialer already runs: the check answers the boxes that are open and asks for the connection.
struct RunningCase {
  const char* name;
  const char* args;
  ConnectionStatus status;
  Lines actions;
};

std::ostream& operator<<(std::ostream& out, const RunningCase& c) { return out << c.name; }

class RunningDialer : public CheckAgainstSimulator, public ::testing::WithParamInterface<RunningCase> {};

TEST_P(RunningDialer, AnswersBoxesAndAsksToConnect) {
  const RunningCase& c = GetParam();
  Simulator sim(c.name);
  ASSERT_TRUE(sim.ready());
  ASSERT_TRUE(sim.Start(std::string("--no-detect ") + c.args));

  EXPECT_EQ(c.status, Check());
  ASSERT_TRUE(sim.Sync());
  EXPECT_EQ(c.actions, sim.Actions());
}

const char kCommand[] = "command 50002";

INSTANTIATE_TEST_SUITE_P(
    Roads, RunningDialer,
    ::testing::Values(
        RunningCase{"NoBox", "", StatusOk, {kCommand}},
        RunningCase{"MainWindowOnly", "--no-panel", StatusOk, {kCommand}},
        RunningCase{"SimBox", "--boxes sim", StatusOk, {"click box=sim button=ok", kCommand}},
        RunningCase{"SimBoxOtherCaption", "--boxes sim-other", StatusOk, {"click box=sim-other button=ok", kCommand}},
        RunningCase{"BothSimBoxes", "--boxes sim,sim-other", StatusOk,
                    {"click box=sim button=ok", "click box=sim-other button=ok", kCommand}},
        RunningCase{"NoDevice", "--boxes nodevice", StatusNoDevice, {"click box=nodevice button=ok", kCommand}},
        RunningCase{"NetworkPrompt", "--boxes netprompt", StatusOk, {"click box=netprompt button=ok"}},
        RunningCase{"NetworkPromptOfAnotherOwner", "--boxes netprompt --prompt-owner other", StatusOk, {kCommand}},
        RunningCase{"NetworkPromptButtonElsewhere", "--boxes netprompt --prompt-button-elsewhere", StatusOk,
                    {"click box=netprompt button=ok"}},
        RunningCase{"NetworkPromptWithoutButton", "--boxes netprompt --prompt-no-button", StatusOk, {kCommand}},
        RunningCase{"AlreadyConnectedBox", "--boxes connected", StatusOk, {"click box=connected button=no"}},
        RunningCase{"CommandRaisesConnectedBox", "--connect-raises-connected", StatusOk,
                    {kCommand, "click box=connected button=no"}},
        RunningCase{"NoDeviceThenConnected", "--boxes nodevice,connected", StatusOk,
                    {"click box=nodevice button=ok", "click box=connected button=no"}},
        RunningCase{"EveryBox", "--boxes sim,sim-other,nodevice,netprompt,connected", StatusOk,
                    {"click box=sim button=ok", "click box=sim-other button=ok", "click box=nodevice button=ok",
                     "click box=netprompt button=ok", "click box=connected button=no"}},
        RunningCase{"EnglishNoDevice", "--lang en --boxes sim,nodevice", StatusNoDevice,
                    {"click box=sim button=ok", "click box=nodevice button=ok", kCommand}},
        RunningCase{"EnglishNetworkPrompt", "--lang en --boxes netprompt --connect-raises-connected", StatusOk,
                    {"click box=netprompt button=ok"}},
        RunningCase{"EnglishCommandRaisesConnectedBox", "--lang en --no-panel --connect-raises-connected", StatusOk,
                    {kCommand, "click box=connected button=no"}}),
    [](const ::testing::TestParamInfo<RunningCase>& info) { return std::string(info.param.name); });

// The dialer is not running: the check starts it from the install record and waits for it.
class StartedDialer : public CheckAgainstSimulator {
 protected:
  // A detection box that comes after the windows and goes two seconds later.
  static constexpr const char* kDetection = "--detect-at 1500 --detect-for 2000 ";

  bool Install(Simulator& sim, const std::string& args, bool trailingBackslash = true) {
    std::string folder = sim.Folder();
    if (!trailingBackslash) folder.pop_back();
    return sim.ready() && sim.WriteArgs(args) && testing::SetInstallRecord(folder, "dialer-sim.exe");
  }

  static size_t IndexOf(const Lines& lines, const std::string& line) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i] == line) return i;
    }
    return lines.size();
  }
};

TEST_F(StartedDialer, ClicksConnectControlAfterDetectionWhenNetworkIsDown) {
  Simulator sim(TestName());
  ASSERT_TRUE(Install(sim, kDetection, false));

  const DWORD start = GetTickCount();
  EXPECT_EQ(StatusOk, Check(downNetwork));
  EXPECT_LT(GetTickCount() - start, 20000u);  // the wait ended with the box, not after 61 tries
  ASSERT_TRUE(sim.Sync());
  EXPECT_EQ(Lines{"click connect-control"}, sim.Actions());
  const Lines journal = sim.Journal();
  EXPECT_LT(IndexOf(journal, "show detect"), IndexOf(journal, "close detect"));
  EXPECT_LT(IndexOf(journal, "close detect"), IndexOf(journal, "click connect-control"));
  EXPECT_LT(IndexOf(journal, "click connect-control"), IndexOf(journal, "connect"));
  EXPECT_NE(0u, dialerMainWindow);
}

TEST_F(StartedDialer, LeavesConnectControlAloneWhenNetworkIsUp) {
  Simulator sim(TestName());
  ASSERT_TRUE(Install(sim, std::string(kDetection) + "--boxes connected@1000"));

  EXPECT_EQ(StatusOk, Check(aliveNetwork));
  ASSERT_TRUE(sim.Sync());
  EXPECT_EQ(Lines{"click box=connected button=no"}, sim.Actions());
}

TEST_F(StartedDialer, HiddenPanelTakesThePromptPass) {
  Simulator sim(TestName());
  ASSERT_TRUE(Install(sim, std::string(kDetection) + "--panel-hidden --boxes nodevice@1000"));

  EXPECT_EQ(StatusNoDevice, Check(downNetwork));
  ASSERT_TRUE(sim.Sync());
  EXPECT_EQ((Lines{"click box=nodevice button=ok", kCommand}), sim.Actions());
}

TEST_F(StartedDialer, PanelWithoutConnectControl) {
  Simulator sim(TestName());
  ASSERT_TRUE(Install(sim, std::string(kDetection) + "--no-connect-control"));

  EXPECT_EQ(StatusNoConnectButton, Check(downNetwork));
  ASSERT_TRUE(sim.Sync());
  EXPECT_EQ(Lines{}, sim.Actions());
}

}  // namespace
}  // namespace zemvar
