#include "dialer/dialer_prompts.h"

#include <gtest/gtest.h>

#include <vector>

#include "dialer/dialer_texts.h"
#include "fake_desktop.h"

namespace zemvar {
namespace {

using namespace dialer;
using testing::FakeDesktop;
using testing::FakePauses;

// The boxes' texts in one of the dialer's two languages.
struct Language {
  const char* title;
  const char* prompt;
  const char* noSim;
  const char* noDevice;
  const char* networkPrompt;
  const char* connected;
};
const Language kChinese{kTitleZh, kPromptTitleZh, kNoSimZh, kNoDeviceZh, kNetworkPromptTitleZh, kConnectedZh};
const Language kEnglish{kTitleEn, kPromptTitleEn, kNoSimEn, kNoDeviceEn, kNetworkPromptTitleEn, kConnectedEn};

class DialerPrompts : public ::testing::TestWithParam<Language> {
 protected:
  void SetUp() override {
    main = desktop.AddTopLevel("#32770", GetParam().title, 100, 80, 420, 340);
    dialerMainWindow = main;
  }
  void TearDown() override { dialerMainWindow = 0; }

  bool Commanded() const { return desktop.CommandPosted(main, DIALER_CONNECT_COMMAND); }

  FakeDesktop desktop;
  FakePauses pauses;
  WindowId main = 0;
};

TEST_P(DialerPrompts, WithoutBoxesPostsTheConnectCommandOnly) {
  EXPECT_EQ(StatusOk, HandleDialerPrompts(desktop, pauses));
  ASSERT_EQ(1u, desktop.posts.size());
  EXPECT_EQ(kMsgCommand, desktop.posts[0].message);
  EXPECT_EQ(50002u, desktop.posts[0].wParam);
  EXPECT_EQ(0, desktop.posts[0].lParam);
  EXPECT_EQ(main, desktop.posts[0].window);
  EXPECT_TRUE(pauses.taken.empty());
}

TEST_P(DialerPrompts, NoDeviceAloneGivesStatus4AfterTheCommand) {
  const Language& l = GetParam();
  const auto box = desktop.AddMessageBox(l.prompt, l.noDevice, main, kNoDeviceButtonX, kNoDeviceButtonY);
  EXPECT_EQ(StatusNoDevice, HandleDialerPrompts(desktop, pauses));
  EXPECT_EQ(1, desktop.ClicksOn(box.button));
  EXPECT_TRUE(Commanded());
  EXPECT_EQ(std::vector<std::uint32_t>{500}, pauses.taken);
}

TEST_P(DialerPrompts, NoDeviceThenAlreadyConnectedAnswersBothWithoutCommand) {
  const Language& l = GetParam();
  const auto noDevice = desktop.AddMessageBox(l.prompt, l.noDevice, main, kNoDeviceButtonX, kNoDeviceButtonY);
  const auto connected = desktop.AddMessageBox(l.prompt, l.connected, main, kConnectedButtonX, kConnectedButtonY);
  EXPECT_EQ(StatusOk, HandleDialerPrompts(desktop, pauses));
  EXPECT_EQ(1, desktop.ClicksOn(noDevice.button));
  EXPECT_EQ(1, desktop.ClicksOn(connected.button));
  EXPECT_FALSE(Commanded());
  EXPECT_EQ(std::vector<std::uint32_t>{500}, pauses.taken);  // none after the last click
}

TEST_P(DialerPrompts, SimBoxIsAnsweredUnderAnyCaption) {
  const Language& l = GetParam();
  // The dialer closes a box once it is answered, during the pause that follows the click.
  std::vector<std::size_t> postsAtPause;
  std::vector<WindowId> closing;
  pauses.onPause = [&](std::size_t) {
    postsAtPause.push_back(desktop.posts.size());
    if (!closing.empty()) desktop.Destroy(closing.front()), closing.erase(closing.begin());
  };
  const auto prompt = desktop.AddMessageBox(l.prompt, l.noSim, 0, kNoSimButtonX, kNoSimButtonY);
  const auto other = desktop.AddMessageBox(l.title, l.noSim, main, kNoSimAnyTitleButtonX, kNoSimAnyTitleButtonY);
  closing = {prompt.box, other.box};
  EXPECT_EQ(StatusOk, HandleDialerPrompts(desktop, pauses));
  EXPECT_EQ(1, desktop.ClicksOn(prompt.button));
  EXPECT_EQ(1, desktop.ClicksOn(other.button));
  EXPECT_TRUE(Commanded());
  // Each pause comes straight after its click, before the next search.
  EXPECT_EQ((std::vector<std::uint32_t>{500, 500}), pauses.taken);
  EXPECT_EQ((std::vector<std::size_t>{2, 4}), postsAtPause);
}

TEST_P(DialerPrompts, SimBoxWithBothButtonsIsClickedByBothSteps) {
  const Language& l = GetParam();
  const auto box = desktop.AddMessageBox(l.prompt, l.noSim, 0, kNoSimButtonX, kNoSimButtonY);
  const WindowId second = desktop.AddChild(box.box, "Button", "Cancel", 220, 60, 75, 23);  // covers (250, 70)
  EXPECT_EQ(StatusOk, HandleDialerPrompts(desktop, pauses));
  EXPECT_EQ(1, desktop.ClicksOn(box.button));
  EXPECT_EQ(1, desktop.ClicksOn(second));
  EXPECT_EQ(2u, pauses.taken.size());
}

TEST_P(DialerPrompts, NetworkPromptCountsOnlyWhenTheMainWindowOwnsIt) {
  const Language& l = GetParam();
  const WindowId stranger = desktop.AddTopLevel("#32770", "Other", 0, 0, 200, 200);
  const auto foreign =
      desktop.AddMessageBox(l.networkPrompt, "", stranger, kNetworkPromptButtonX, kNetworkPromptButtonY);
  EXPECT_EQ(StatusOk, HandleDialerPrompts(desktop, pauses));
  EXPECT_EQ(0, desktop.ClicksOn(foreign.button));
  EXPECT_TRUE(Commanded());

  desktop.posts.clear();
  const auto owned = desktop.AddMessageBox(l.networkPrompt, "", main, kNetworkPromptButtonX, kNetworkPromptButtonY);
  const auto connected = desktop.AddMessageBox(l.prompt, l.connected, main, kConnectedButtonX, kConnectedButtonY);
  EXPECT_EQ(StatusOk, HandleDialerPrompts(desktop, pauses));
  EXPECT_EQ(1, desktop.ClicksOn(owned.button));
  EXPECT_EQ(0, desktop.ClicksOn(connected.button));  // the pass ended with the network prompt
  EXPECT_FALSE(Commanded());
  EXPECT_TRUE(pauses.taken.empty());
}

TEST_P(DialerPrompts, NetworkPromptFallsBackToItsFirstButton) {
  const Language& l = GetParam();
  const auto box = desktop.AddMessageBox(l.networkPrompt, "Connect?", main, 0, 0);
  const WindowId group = desktop.AddChild(box.box, "Static", "", 0, 0, 300, 100);
  desktop.AddChild(group, "Button", "nested", 10, 10, 50, 20);  // not a direct child
  const WindowId first = desktop.AddChild(box.box, "Button", "Yes", 20, 100, 75, 23);
  const WindowId second = desktop.AddChild(box.box, "Button", "No", 220, 100, 75, 23);
  const auto noDevice = desktop.AddMessageBox(l.prompt, l.noDevice, main, kNoDeviceButtonX, kNoDeviceButtonY);
  // A network prompt answered after a no-device box ends the pass with 0, not 4.
  EXPECT_EQ(StatusOk, HandleDialerPrompts(desktop, pauses));
  EXPECT_EQ(1, desktop.ClicksOn(noDevice.button));
  EXPECT_EQ(1, desktop.ClicksOn(first));
  EXPECT_EQ(0, desktop.ClicksOn(second));
  EXPECT_FALSE(Commanded());
}

TEST_P(DialerPrompts, NetworkPromptWithoutButtonsIsPassedOver) {
  const Language& l = GetParam();
  desktop.AddMessageBox(l.networkPrompt, "Connect?", main, 0, 0);
  EXPECT_EQ(StatusOk, HandleDialerPrompts(desktop, pauses));
  EXPECT_TRUE(Commanded());
  EXPECT_EQ(1u, desktop.posts.size());
}

TEST_P(DialerPrompts, MissingMainWindowGives5WithoutSearching) {
  const Language& l = GetParam();
  const auto box = desktop.AddMessageBox(l.prompt, l.noDevice, main, kNoDeviceButtonX, kNoDeviceButtonY);
  desktop.Destroy(main);
  EXPECT_EQ(StatusNoMainWindow, HandleDialerPrompts(desktop, pauses));
  dialerMainWindow = 0;
  EXPECT_EQ(StatusNoMainWindow, HandleDialerPrompts(desktop, pauses));
  EXPECT_EQ(0, desktop.topLevelSearches);
  EXPECT_TRUE(desktop.posts.empty());
  EXPECT_TRUE(pauses.taken.empty());
  EXPECT_TRUE(desktop.IsWindow(box.box));
}

TEST_P(DialerPrompts, ButtonsAreFoundByPositionNotByOrder) {
  const Language& l = GetParam();
  // The no-device box with its "Cancel" first: only the button covering (120, 60) is pressed.
  const WindowId box = desktop.AddTopLevel("#32770", l.prompt, 500, 400, 240, 100, main);
  desktop.AddChild(box, "Static", l.noDevice, 10, 10, 220, 20);
  const WindowId cancel = desktop.AddChild(box, "Button", "Cancel", 160, 50, 75, 23);
  const WindowId ok = desktop.AddChild(box, "Button", "OK", 83, 50, 75, 23);
  EXPECT_EQ(StatusNoDevice, HandleDialerPrompts(desktop, pauses));
  EXPECT_EQ(0, desktop.ClicksOn(cancel));
  EXPECT_EQ(1, desktop.ClicksOn(ok));
}

INSTANTIATE_TEST_SUITE_P(Languages, DialerPrompts, ::testing::Values(kChinese, kEnglish),
                         [](const ::testing::TestParamInfo<Language>& info) {
                           return info.index == 0 ? std::string("Chinese") : std::string("English");
                         });

}  // namespace
}  // namespace zemvar
