#include "dialer/check_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

#include "dialer/dialer_prompts.h"
#include "dialer/dialer_texts.h"
#include "fake_desktop.h"

namespace zemvar {
namespace {

using namespace dialer;
using testing::FakeDesktop;

// The dialer as the check sees it: its panel (with the marker static and the connect control), its
// main window, and its boxes; events scheduled by pause number stand in for the dialer's own timing.
class ConnectionCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.SetString("ExePath", "C:\\Program Files\\China Mobile\\G3随e行");
    registry.SetString("ExeName", "G3随e行.exe");
    pauses.onPause = [this](std::size_t n) {
      auto it = events.find(n);
      if (it != events.end()) it->second();
    };
  }
  void TearDown() override {
    EXPECT_EQ(registry.opens, registry.closes);
    dialerMainWindow = 0;
  }

  WindowId AddPanel(bool withConnectControl = true) {
    panel = desktop.AddTopLevel("#32770", kTitleZh, 120, 90, 480, 400);
    desktop.AddChild(panel, "Static", "", 40, 300, 120, 40);  // the marker, over (70, 320)
    if (withConnectControl) {
      connect = desktop.AddChild(panel, "AfxWnd70u", "", 50, 210, 90, 40);  // over (80, 230)
    } else {
      desktop.AddChild(panel, "AfxWnd70u", "", 200, 210, 90, 40);
      desktop.AddChild(panel, "Button", "", 50, 210, 90, 40);
    }
    return panel;
  }
  WindowId AddMain() {
    main = desktop.AddTopLevel("#32770", kTitleEn, 260, 180, 400, 300);
    desktop.AddChild(main, "Static", "status", 200, 300, 150, 20);
    return main;
  }
  WindowId AddDetectionBox() {
    detection = desktop.AddMessageBox("", kDetectingZh, main, 0, 0, 400, 300).box;
    return detection;
  }
  // The dialer comes up on the given one-second try of the check.
  void StartsOnTry(std::size_t pause) {
    events[pause] = [this] {
      AddPanel();
      AddMain();
    };
  }

  std::size_t Count(std::uint32_t ms) const { return std::count(pauses.taken.begin(), pauses.taken.end(), ms); }
  bool Commanded() const { return main && desktop.CommandPosted(main, DIALER_CONNECT_COMMAND); }

  FakeDesktop desktop;
  testing::FakePauses pauses;
  testing::FakeNetwork network;
  testing::FakeInstallRegistry registry;
  testing::FakeLauncher launcher;
  CheckEnvironment env{desktop, pauses, network, registry, launcher};
  std::map<std::size_t, std::function<void()>> events;
  WindowId panel = 0, connect = 0, main = 0, detection = 0;
};

TEST_F(ConnectionCheck, NotInstalledTouchesNoWindow) {
  desktop.AddTopLevel("#32770", "Other program", 0, 0, 300, 200);
  registry.present = false;
  dialerMainWindow = 0x4242;
  EXPECT_EQ(StatusDialerNotInstalled, RunConnectionCheck(env));
  EXPECT_EQ(0u, dialerMainWindow);
  EXPECT_TRUE(desktop.posts.empty());
  EXPECT_TRUE(launcher.launched.empty());
  EXPECT_TRUE(pauses.taken.empty());

  registry.present = true;
  registry.values.erase("ExeName");
  EXPECT_EQ(StatusDialerNotInstalled, RunConnectionCheck(env));
  EXPECT_TRUE(launcher.launched.empty());
}

TEST_F(ConnectionCheck, LauncherResultOf31OrLessIsAFailedStartThatTheLogHears) {
  std::vector<std::string> notes;
  env.notes = &notes;
  for (std::uint32_t result : {0u, 2u, 31u}) {
    launcher.result = result;
    EXPECT_EQ(StatusLaunchFailed, RunConnectionCheck(env)) << result;
  }
  ASSERT_EQ(3u, launcher.launched.size());
  EXPECT_EQ("\"C:\\Program Files\\China Mobile\\G3随e行\\G3随e行.exe\"", launcher.launched[0]);
  EXPECT_TRUE(pauses.taken.empty());
  ASSERT_EQ(3u, notes.size());
  EXPECT_EQ("dialer not started: WinExec 2 for " + launcher.launched[1], notes[1]);

  launcher.result = 32;
  EXPECT_EQ(StatusDialerNotStarted, RunConnectionCheck(env));
}

TEST_F(ConnectionCheck, DialerThatNeverShowsItsPanelGives3After601Seconds) {
  // Only the main window comes up: the panel search never succeeds.
  events[5] = [this] { AddMain(); };
  EXPECT_EQ(StatusDialerNotStarted, RunConnectionCheck(env));
  EXPECT_EQ(601u, pauses.taken.size());
  EXPECT_EQ(601u, Count(1000));
  EXPECT_EQ(601000u, pauses.total) << "the check's own time, as it waits on Windows";
  EXPECT_TRUE(desktop.posts.empty());
}

TEST_F(ConnectionCheck, PanelOnTheLastTryStillCounts) {
  StartsOnTry(601);
  network.alive = false;
  events[603] = [this] { AddDetectionBox(); };
  events[604] = [this] { desktop.Destroy(detection); };
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  EXPECT_EQ(601u, Count(1000));
  EXPECT_EQ(1, desktop.ClicksOn(connect));
}

TEST_F(ConnectionCheck, RunningDialerGetsThePromptPass) {
  AddPanel();
  AddMain();
  network.alive = false;  // the panel is not ours: the connect control is left alone
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  EXPECT_EQ(main, dialerMainWindow);
  EXPECT_TRUE(Commanded());
  EXPECT_EQ(0, desktop.ClicksOn(connect));
  EXPECT_EQ(0, network.asked);
  EXPECT_TRUE(launcher.launched.empty());
  EXPECT_EQ((std::vector<std::uint32_t>{500, 500}), pauses.taken);
}

TEST_F(ConnectionCheck, MainWindowAloneIsFoundWithoutTheMarker) {
  AddMain();
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  EXPECT_TRUE(launcher.launched.empty());
  EXPECT_TRUE(Commanded());
}

TEST_F(ConnectionCheck, PanelWithoutMainWindowGives5After21Tries) {
  AddPanel();
  EXPECT_EQ(StatusNoMainWindow, RunConnectionCheck(env));
  EXPECT_EQ(std::vector<std::uint32_t>(21, 500), pauses.taken);
  EXPECT_TRUE(desktop.posts.empty());
  EXPECT_EQ(0u, dialerMainWindow);

  // A main window on the 21st try is still in time.
  pauses.taken.clear();
  pauses.onPause = [this](std::size_t n) {
    if (n == 21) AddMain();
  };
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  EXPECT_EQ(main, dialerMainWindow);
}

TEST_F(ConnectionCheck, StartedDialerWithoutMainWindowGives5AndKeepsRunning) {
  events[2] = [this] { AddPanel(); };
  EXPECT_EQ(StatusNoMainWindow, RunConnectionCheck(env));
  EXPECT_EQ(2u, Count(1000));
  EXPECT_EQ(21u, Count(500));
  EXPECT_TRUE(desktop.IsWindow(panel));
  EXPECT_TRUE(desktop.posts.empty());
}

TEST_F(ConnectionCheck, NoDeviceAndConnectedBoxesOnTheRunningRoad) {
  AddMain();
  const auto noDevice = desktop.AddMessageBox(kPromptTitleZh, kNoDeviceZh, main, kNoDeviceButtonX, kNoDeviceButtonY);
  EXPECT_EQ(StatusNoDevice, RunConnectionCheck(env));
  EXPECT_EQ(1, desktop.ClicksOn(noDevice.button));
  EXPECT_TRUE(Commanded());
  EXPECT_EQ((std::vector<std::uint32_t>{500, 500}), pauses.taken);  // no pause of the last step
  desktop.Destroy(noDevice.box);

  // The connect command raises the already-connected box, answered after the last half second.
  desktop.posts.clear();
  pauses.taken.clear();
  WindowId button = 0;
  pauses.onPause = [&](std::size_t n) {
    if (n == 2 && Commanded()) {
      button = desktop.AddMessageBox(kPromptTitleEn, kConnectedEn, main, kConnectedButtonX, kConnectedButtonY).button;
    }
  };
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  EXPECT_EQ(1, desktop.ClicksOn(button));
}

TEST_F(ConnectionCheck, StartedDialerWithVisiblePanelAndNetworkUp) {
  StartsOnTry(3);
  events[5] = [this] { AddDetectionBox(); };
  events[8] = [this] { desktop.Destroy(detection); };
  events[9] = [this] {
    desktop.AddMessageBox(kPromptTitleZh, kConnectedZh, main, kConnectedButtonX, kConnectedButtonY);
  };
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  ASSERT_EQ(1u, launcher.launched.size());
  EXPECT_EQ(1, network.asked);
  EXPECT_EQ(0, desktop.ClicksOn(connect));
  EXPECT_FALSE(Commanded());
  // Three one-second tries, the main window, detection seen on its first try and gone on its fourth,
  // the last half second.
  EXPECT_EQ((std::vector<std::uint32_t>{1000, 1000, 1000, 500, 500, 500, 500, 500, 500}), pauses.taken);
  ASSERT_EQ(2u, desktop.posts.size());  // only the already-connected box's button
}

TEST_F(ConnectionCheck, StartedDialerWithVisiblePanelAndNetworkDownPressesConnect) {
  StartsOnTry(1);
  network.alive = false;
  events[3] = [this] { AddDetectionBox(); };
  events[4] = [this] { desktop.Get(detection).visible = false; };  // hidden counts as gone
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  EXPECT_EQ(1, desktop.ClicksOn(connect));
  EXPECT_FALSE(Commanded());
  EXPECT_EQ(1u + 1 + 2 + 1, pauses.taken.size());
}

TEST_F(ConnectionCheck, MissingConnectControlGives6) {
  events[1] = [this] {
    AddPanel(/*withConnectControl=*/false);
    AddMain();
  };
  network.alive = false;
  EXPECT_EQ(StatusNoConnectButton, RunConnectionCheck(env));
  EXPECT_TRUE(desktop.posts.empty());
  EXPECT_EQ(1u + 1 + 61, pauses.taken.size());  // ends before the last half second
}

TEST_F(ConnectionCheck, DetectionBoxNeverShownWaits61Tries) {
  StartsOnTry(1);
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  // One panel try, one main-window try, 61 detection tries, the last half second.
  EXPECT_EQ(1u, Count(1000));
  EXPECT_EQ(1u + 61 + 1, Count(500));
  EXPECT_EQ(1u + 1 + 61 + 1, pauses.taken.size());
}

TEST_F(ConnectionCheck, DetectionBoxOwnedBySomeoneElseIsNotWaitedFor) {
  StartsOnTry(1);
  events[2] = [this] {
    const WindowId stranger = desktop.AddTopLevel("#32770", "Other", 0, 0, 100, 100);
    detection = desktop.AddMessageBox("", kDetectingEn, stranger, 0, 0).box;
  };
  events[5] = [this] { desktop.Destroy(detection); };
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  EXPECT_EQ(1u + 1 + 61 + 1, pauses.taken.size());
}

TEST_F(ConnectionCheck, MainWindowClosingDuringDetectionEndsTheWait) {
  StartsOnTry(1);
  events[2] = [this] { desktop.Get(panel).visible = false; };  // a hidden panel takes the prompt road
  events[6] = [this] { desktop.Destroy(main); };               // the fourth detection try
  EXPECT_EQ(StatusNoMainWindow, RunConnectionCheck(env));
  EXPECT_EQ((std::vector<std::uint32_t>{1000, 500, 500, 500, 500, 500}), pauses.taken);
  EXPECT_TRUE(desktop.posts.empty());
}

TEST_F(ConnectionCheck, HiddenPanelTakesThePromptRoad) {
  StartsOnTry(1);
  network.alive = false;
  events[2] = [this] {
    desktop.Get(panel).visible = false;
    desktop.AddMessageBox(kPromptTitleEn, kNoDeviceEn, main, kNoDeviceButtonX, kNoDeviceButtonY);
  };
  events[3] = [this] { AddDetectionBox(); };
  events[4] = [this] { desktop.Destroy(detection); };
  EXPECT_EQ(StatusNoDevice, RunConnectionCheck(env));
  EXPECT_EQ(0, desktop.ClicksOn(connect));
  EXPECT_EQ(0, network.asked);
  EXPECT_TRUE(Commanded());
}

TEST_F(ConnectionCheck, EachCheckStartsAfresh) {
  // A panel seen by an earlier check that started the dialer is not used by the next one.
  StartsOnTry(1);
  network.alive = false;
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  EXPECT_EQ(1, desktop.ClicksOn(connect));
  desktop.posts.clear();
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  EXPECT_EQ(0, desktop.ClicksOn(connect));
  EXPECT_TRUE(Commanded());
  EXPECT_EQ(1u, launcher.launched.size());
}

// A dialer run as administrator drops every post of ours; the check must not call that "all is well".
TEST_F(ConnectionCheck, PostsTheDialerRefusesEndTheCheckWith7AndANote) {
  std::vector<std::string> notes;
  env.notes = &notes;
  desktop.refusePosts = true;
  AddPanel();
  AddMain();
  EXPECT_EQ(StatusRefused, RunConnectionCheck(env)) << "the connect command was refused";
  const std::vector<std::uint32_t> promptRoad{500};
  EXPECT_EQ(promptRoad, pauses.taken) << "the check ends at the refusal";
  desktop.AddMessageBox(kPromptTitleEn, kNoSimEn, main, kNoSimButtonX, kNoSimButtonY);
  EXPECT_EQ(StatusRefused, RunConnectionCheck(env)) << "a box's button was refused";

  // The check that started the dialer presses the panel's control.
  desktop.Destroy(panel);
  desktop.Destroy(main);
  StartsOnTry(3);
  network.alive = false;
  pauses.taken.clear();
  EXPECT_EQ(StatusRefused, RunConnectionCheck(env));
  EXPECT_EQ(1u, launcher.launched.size());
  ASSERT_EQ(3u, notes.size());
  EXPECT_EQ("the dialer refused a posted message: error 5, access denied", notes[2]);

  // Without the refusal the same check goes on as before.
  desktop.refusePosts = false;
  notes.clear();
  EXPECT_EQ(StatusOk, RunConnectionCheck(env));
  EXPECT_TRUE(notes.empty());
}

// Posts into a hung dialer's queue are lost: a check that finds it hung from start to end says so.
TEST_F(ConnectionCheck, ADialerHungThroughTheWholeCheckGives8AndAMomentsPauseDoesNot) {
  AddPanel();
  AddMain();
  desktop.Get(main).hung = true;
  std::vector<WindowId> tested;
  desktop.onHungTest = [&](WindowId window) { tested.push_back(window); };
  EXPECT_EQ(StatusHung, RunConnectionCheck(env));
  EXPECT_EQ((std::vector<WindowId>{main, main}), tested) << "the main window, at the start and at the end";

  desktop.onHungTest = [&](WindowId window) { desktop.Get(window).hung = false; };
  EXPECT_EQ(StatusOk, RunConnectionCheck(env)) << "answering again by the end";
  desktop.onHungTest = nullptr;
  pauses.taken.clear();
  events[1] = [&] { desktop.Get(main).hung = true; };
  EXPECT_EQ(StatusOk, RunConnectionCheck(env)) << "hung only at the end";
  EXPECT_TRUE(desktop.Get(main).hung);
}

// With RestartHung the process that owns the main window is ended after that many hung checks, at most
// once in ten minutes; the next check starts the dialer as always.
TEST_F(ConnectionCheck, AHungDialerIsEndedAfterTheGivenChecksAndAFailedEndIsToldOnly) {
  std::vector<std::string> notes;
  env.notes = &notes;
  DialerWatches watches;
  watches.hung.SetRestartAfter(2);
  env.watches = &watches;
  launcher.desktop = &desktop;
  AddPanel();
  AddMain();
  desktop.Get(main).hung = true;
  desktop.Get(main).process = 777;
  EXPECT_EQ(StatusHung, RunConnectionCheck(env));
  EXPECT_TRUE(launcher.ended.empty());
  EXPECT_EQ(StatusHung, RunConnectionCheck(env));
  EXPECT_EQ(std::vector<std::uint32_t>{777}, launcher.ended);
  EXPECT_EQ(std::vector<std::string>{"hung dialer (process 777) ended after 2 hung checks"}, notes);

  // Still hung a minute later (it came back hung at once): not again within ten minutes.
  for (int minute = 1; minute < 10; ++minute) {
    pauses.total += 60000;
    EXPECT_EQ(StatusHung, RunConnectionCheck(env));
  }
  EXPECT_EQ(1u, launcher.ended.size());

  // Past the ten minutes the end is tried again; refused (the dialer runs as administrator), only the log hears.
  launcher.endError = 5;
  pauses.total += 60000;
  EXPECT_EQ(StatusHung, RunConnectionCheck(env));
  EXPECT_EQ(2u, launcher.ended.size());
  EXPECT_EQ("hung dialer (process 777) not ended after 10 hung checks: error 5", notes.back());
  EXPECT_TRUE(launcher.launched.empty());

  // The window closes between the last hung test and the end: nothing is ended, and the log says why.
  pauses.total += 10 * 60000;
  EXPECT_EQ(StatusHung, RunConnectionCheck(env));
  int tests = 0;
  desktop.onHungTest = [&](WindowId window) {
    if (++tests == 2) desktop.Destroy(window);
  };
  EXPECT_EQ(StatusHung, RunConnectionCheck(env));
  EXPECT_EQ(2u, launcher.ended.size());
  EXPECT_EQ("hung dialer not ended after 2 hung checks: its window has gone", notes.back());

  // It exits just before the end, and its id may be another program's by then: nothing is ended.
  desktop.Get(AddMain()).hung = true;
  launcher.onEnd = [&] { desktop.Destroy(main); };
  pauses.total += 10 * 60000;
  EXPECT_EQ(StatusHung, RunConnectionCheck(env));
  EXPECT_EQ(StatusHung, RunConnectionCheck(env));
  EXPECT_EQ("hung dialer (process 4242) not ended after 2 hung checks: its window has gone", notes.back());
}

// The probe's results in turn (0: a connection), after what `during` does.
struct ScriptedProbe : LinkProbe {
  std::uint32_t Try(const ProbeTarget&) override {
    if (during) during();
    return results.at(tries++);
  }
  std::vector<std::uint32_t> results;
  std::size_t tries = 0;
  std::function<void()> during;
};

// With Probe, three failed tries in a row show the link offline until one connects; fewer change nothing,
// and a run of like failures is one line. No try follows another status, nor one while the session ends.
// RestartOffline ends the dialer after that many, and the ends of a hung dialer keep the same spacing.
TEST_F(ConnectionCheck, FailedProbesShowADeadLinkAndMayEndTheDialer) {
  std::vector<std::string> notes;
  DialerWatches watches;
  ScriptedProbe probe;
  env.notes = &notes;
  env.watches = &watches;
  env.probe = &probe;
  launcher.desktop = &desktop;
  AddPanel();
  desktop.Get(AddMain()).process = 777;
  const auto statuses = [&](std::size_t checks) {
    std::string shown;
    while (checks--) shown += std::to_string(RunConnectionCheck(env));
    return shown;
  };
  watches.offline.Configure(ParseProbeTarget("a.cn:80"), 0);
  probe.results = {10061, 10061, 0, 10060, 10061, 10061, 10061, 0, 10061};
  EXPECT_EQ("00000990", statuses(8));
  EXPECT_EQ((std::vector<std::string>{"probe a.cn:80 failed: error 10061",
                                      "probe a.cn:80 connected again after 2 failed tries",
                                      "probe a.cn:80 failed: error 10060", "probe a.cn:80 failed: error 10061",
                                      "probe a.cn:80 connected again after 4 failed tries"}),
            notes);
  desktop.Get(main).hung = true;
  EXPECT_EQ("8", statuses(1));
  desktop.Get(main).hung = false;
  launchesHeld = true;
  EXPECT_EQ(StatusHeld, RunConnectionCheck(env));
  EXPECT_EQ(8u, probe.tries);
  launchesHeld = false;
  probe.during = [] { launchesHeld = true; };
  EXPECT_EQ(StatusHeld, RunConnectionCheck(env)) << "the session began to end during the try";
  launchesHeld = false;
  EXPECT_EQ(0, watches.offline.failures());

  probe.during = nullptr;
  probe.results.assign(30, 10060);
  watches.offline.Configure(ParseProbeTarget("10.0.0.1:53"), RestartOfflineTries(1));
  watches.hung.SetRestartAfter(2);
  EXPECT_EQ("009", statuses(3));
  EXPECT_EQ("offline dialer (process 777) ended after 3 failed probes", notes.back());
  for (int minute = 1; minute <= 10; ++minute) {
    pauses.total += 60000;
    EXPECT_EQ("9", statuses(1));
    EXPECT_EQ(minute < 10 ? 1u : 2u, launcher.ended.size()) << "the failures meanwhile end it once it may";
  }
  pauses.total += 10 * 60000;
  EXPECT_EQ("99", statuses(2));
  EXPECT_EQ(2u, launcher.ended.size()) << "the count starts again after an end";
  EXPECT_EQ("9", statuses(1));
  desktop.Get(main).hung = true;
  EXPECT_EQ("88", statuses(2));
  EXPECT_EQ(3u, launcher.ended.size()) << "a hung end keeps the offline end's spacing";
}

// Once the session ends no check starts the dialer, and the check has nothing to show.
TEST_F(ConnectionCheck, WhileTheSessionEndsNoDialerIsStarted) {
  launchesHeld = true;
  const ConnectionStatus held = RunConnectionCheck(env);
  launchesHeld = false;
  EXPECT_EQ(StatusHeld, held);
  EXPECT_TRUE(launcher.launched.empty());
  EXPECT_TRUE(pauses.taken.empty());
  EXPECT_EQ(StatusDialerNotStarted, RunConnectionCheck(env)) << "a cancelled end lets checks go on";
}

}  // namespace
}  // namespace zemvar
