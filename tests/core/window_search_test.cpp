#include "dialer/window_search.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_desktop.h"
#include "platform/gbk_text.h"

namespace zemvar {
namespace {

using testing::FakeDesktop;

WindowId FindTop(FakeDesktop& desktop, const char* className, const char* titleA, const char* titleB = nullptr,
                 WindowId parent = 0) {
  WindowCriteria c;
  c.className = className;
  c.titleA = titleA;
  c.titleB = titleB;
  c.parent = parent;
  SearchTopLevel(desktop, MatchTopLevel, c);
  return c.found;
}

WindowId FindAt(FakeDesktop& desktop, WindowId parent, const char* className, int x, int y) {
  WindowCriteria c;
  c.className = className;
  c.parent = parent;
  c.pointX = x;
  c.pointY = y;
  SearchDescendants(desktop, parent, MatchChildAtPoint, c);
  return c.found;
}

TEST(WindowSearch, FirstMatchInZOrderWins) {
  FakeDesktop desktop;
  desktop.AddTopLevel("#32770", "G3 eWalk", 0, 0, 100, 100);
  const WindowId first = desktop.AddTopLevel("#32770", "G3 eWalk", 0, 0, 100, 100, 0, /*atBottom=*/false);
  desktop.AddTopLevel("#32770", "G3随e行", 0, 0, 100, 100, 0, /*atBottom=*/false);
  const WindowId chinese = desktop.AddTopLevel("Other", "G3随e行", 0, 0, 100, 100, 0, /*atBottom=*/false);
  (void)chinese;
  // Z-order from the top: Other/Chinese, #32770/Chinese, #32770/English(first), #32770/English.
  WindowCriteria c;
  c.className = "#32770";
  c.titleB = "G3 eWalk";
  SearchTopLevel(desktop, MatchTopLevel, c);
  EXPECT_EQ(first, c.found);

  // Either title may accept; the topmost window passing any of them wins.
  const WindowId topDialer = FindTop(desktop, "#32770", "G3随e行", "G3 eWalk");
  EXPECT_NE(first, topDialer);
  EXPECT_EQ("G3随e行", desktop.Get(topDialer).text);
}

TEST(WindowSearch, TitlesFoldAsciiOnlyAndClassesAreExact) {
  FakeDesktop desktop;
  const WindowId lower = desktop.AddTopLevel("#32770", "g3 ewalk", 0, 0, 100, 100);
  const WindowId mixed = desktop.AddTopLevel("#32770", "g3随E行", 0, 0, 100, 100);
  desktop.AddTopLevel("#32770", "G3 eWalk ", 0, 0, 100, 100);
  desktop.AddTopLevel("#32770", "", 0, 0, 100, 100);
  EXPECT_EQ(lower, FindTop(desktop, "#32770", nullptr, "G3 eWalk"));
  EXPECT_EQ(mixed, FindTop(desktop, "#32770", "G3随e行"));
  EXPECT_EQ(0u, FindTop(desktop, "#32770", "G3 eWalk Plus"));  // no prefix or substring match
  EXPECT_EQ(0u, FindTop(desktop, "#32770", "G3"));
  // An empty text never passes, not even an empty title in the criteria.
  EXPECT_EQ(0u, FindTop(desktop, "#32770", ""));

  const WindowId dialog = desktop.AddTopLevel("#32770", "x", 0, 0, 100, 100);
  desktop.AddChild(dialog, "static", "hello", 0, 0, 10, 10);
  const WindowId exact = desktop.AddChild(dialog, "Static", "hello", 0, 0, 10, 10);
  WindowCriteria c;
  c.className = "Static";
  c.parent = dialog;
  c.titleA = "HELLO";
  SearchDescendants(desktop, dialog, MatchChildByText, c);
  EXPECT_EQ(exact, c.found);
}

TEST(WindowSearch, GbkTrailBytesAreNotFolded) {
  FakeDesktop desktop;
  // 0x81 0x61 and 0x81 0x41 are two different GBK characters whose trail bytes are 'a' and 'A'.
  desktop.AddTopLevel("#32770", "\x81\x61", 0, 0, 100, 100);
  desktop.AddTopLevel("#32770", "G3\x81\x61", 0, 0, 100, 100);
  EXPECT_EQ(0u, FindTop(desktop, "#32770", "\x81\x41"));
  EXPECT_EQ(0u, FindTop(desktop, "#32770", "g3\x81\x41"));
  // ASCII right after a GBK character still folds.
  const WindowId after = desktop.AddTopLevel("#32770", "\x81\x41Wb", 0, 0, 100, 100);
  EXPECT_EQ(after, FindTop(desktop, "#32770", "\x81\x41wB"));
  // A text cut after a lead byte stays inside the buffer.
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\x81", "\x81\x41"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("x\x81", "X\x81"));
}

TEST(WindowSearch, PointTestCountsLeftAndTopEdgesOnly) {
  FakeDesktop desktop;
  // A dialog with caption and border: its window rectangle is not where its client area starts.
  const WindowId dialog = desktop.AddTopLevel("#32770", "G3 eWalk", 200, 150, 400, 300);
  const WindowId button = desktop.AddChild(dialog, "Button", "OK", 50, 40, 100, 20);
  EXPECT_EQ(button, FindAt(desktop, dialog, "Button", 50, 40));
  EXPECT_EQ(button, FindAt(desktop, dialog, "Button", 149, 59));
  EXPECT_EQ(0u, FindAt(desktop, dialog, "Button", 150, 45));
  EXPECT_EQ(0u, FindAt(desktop, dialog, "Button", 100, 60));
  EXPECT_EQ(0u, FindAt(desktop, dialog, "Button", 49, 45));
  EXPECT_EQ(0u, FindAt(desktop, dialog, "Button", 100, 39));
  EXPECT_EQ(0u, FindAt(desktop, dialog, "Static", 60, 45));
}

TEST(WindowSearch, ChildAtPointFindsDirectChildrenOnly) {
  FakeDesktop desktop;
  const WindowId dialog = desktop.AddTopLevel("#32770", "G3 eWalk", 10, 10, 400, 400);
  const WindowId group = desktop.AddChild(dialog, "Button", "", 20, 200, 300, 180);
  desktop.AddChild(group, "Static", "marker", 40, 110, 60, 20);  // covers (70, 320) of the dialog
  EXPECT_EQ(0u, FindAt(desktop, dialog, "Static", 70, 320));
  EXPECT_EQ(group, FindAt(desktop, dialog, "Button", 70, 320));

  // Without a parent the matcher accepts nothing, even a child that would pass every other test.
  WindowCriteria c;
  c.className = "Button";
  c.pointX = 70;
  c.pointY = 320;
  SearchDescendants(desktop, dialog, MatchChildAtPoint, c);
  EXPECT_EQ(0u, c.found);

  // A message nested in a group box does not count as the box's message either.
  WindowCriteria box, message;
  box.className = "#32770";
  box.child = &message;
  message.className = "Static";
  message.titleA = "marker";
  SearchTopLevel(desktop, MatchTopLevel, box);
  EXPECT_EQ(0u, box.found);
}

TEST(WindowSearch, ParentIsTheOwnerOnlyForPopups) {
  FakeDesktop desktop;
  const WindowId main = desktop.AddTopLevel("#32770", "G3 eWalk", 0, 0, 400, 300);
  const WindowId stranger = desktop.AddTopLevel("#32770", "Prompt", 0, 0, 300, 100);
  const WindowId plain = desktop.AddTopLevel("#32770", "Prompt", 0, 0, 300, 100, main);
  desktop.Get(plain).popup = false;
  const WindowId owned = desktop.AddTopLevel("#32770", "Prompt", 0, 0, 300, 100, main);
  EXPECT_EQ(owned, FindTop(desktop, "#32770", "Prompt", nullptr, main));
  EXPECT_EQ(stranger, FindTop(desktop, "#32770", "Prompt"));
  EXPECT_EQ(0u, desktop.Parent(plain));
}

TEST(WindowSearch, LackingChildAcceptsWindowsWithoutTheChild) {
  FakeDesktop desktop;
  const WindowId panel = desktop.AddTopLevel("#32770", "G3随e行", 0, 0, 400, 400);
  desktop.AddChild(panel, "Static", "", 40, 300, 100, 40);
  desktop.AddTopLevel("Other", "G3随e行", 0, 0, 400, 400);
  const WindowId main = desktop.AddTopLevel("#32770", "G3 eWalk", 0, 0, 400, 400);
  desktop.AddChild(main, "Static", "", 200, 300, 100, 40);  // a static, but not at the point

  WindowCriteria criteria, marker;
  criteria.className = "#32770";
  criteria.titleA = "G3随e行";
  criteria.titleB = "G3 eWalk";
  criteria.child = &marker;
  marker.className = "Static";
  marker.pointX = 70;
  marker.pointY = 320;
  SearchTopLevel(desktop, MatchTopLevelLackingChild, criteria);
  EXPECT_EQ(main, criteria.found);
  criteria.found = 0;
  SearchTopLevel(desktop, MatchTopLevel, criteria);
  EXPECT_EQ(panel, criteria.found);

  // A child record that matches nothing: the first window passing class and title is accepted.
  marker.className = "NoSuchClass";
  criteria.found = 0;
  SearchTopLevel(desktop, MatchTopLevelLackingChild, criteria);
  EXPECT_EQ(panel, criteria.found);
}

TEST(WindowSearch, BadHandlesAndFailedReadsAreRejectedSafely) {
  FakeDesktop desktop;
  const WindowId dialog = desktop.AddTopLevel("#32770", "G3 eWalk", 0, 0, 100, 100);
  WindowCriteria c;
  c.className = "#32770";
  c.titleB = "G3 eWalk";
  c.parent = 0;
  EXPECT_TRUE(MatchTopLevel(desktop, 0, c));
  EXPECT_TRUE(MatchTopLevelLackingChild(desktop, 0, c));
  EXPECT_TRUE(MatchChildByText(desktop, 0, c));
  c.parent = dialog;
  EXPECT_TRUE(MatchChildAtPoint(desktop, 0, c));
  EXPECT_TRUE(MatchTopLevel(desktop, 0xdead0, c));  // a handle that names no window
  EXPECT_EQ(0u, c.found);

  const WindowId second = desktop.AddTopLevel("#32770", "G3 eWalk", 0, 0, 100, 100);
  desktop.classReadFailures = 1;
  EXPECT_EQ(second, FindTop(desktop, "#32770", nullptr, "G3 eWalk"));
  // Without a class in the criteria a failing class read does not matter.
  desktop.classReadFailures = 1;
  EXPECT_EQ(dialog, FindTop(desktop, nullptr, "G3 eWalk"));
}

TEST(WindowSearch, LongTitlesAreCutTo254CharactersBeforeComparing) {
  FakeDesktop desktop;
  std::string text(300, 'x');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
  const WindowId window = desktop.AddTopLevel("#32770", text, 0, 0, 100, 100);
  const std::string cut = text.substr(0, 254);
  const std::string longer = text.substr(0, 255);
  EXPECT_EQ(window, FindTop(desktop, "#32770", cut.c_str()));
  EXPECT_EQ(0u, FindTop(desktop, "#32770", text.c_str()));
  EXPECT_EQ(0u, FindTop(desktop, "#32770", longer.c_str()));
  // Class names are read the same way.
  desktop.Get(window).className = std::string(300, 'C');
  EXPECT_EQ(window, FindTop(desktop, std::string(254, 'C').c_str(), cut.c_str()));
  EXPECT_EQ(0u, FindTop(desktop, std::string(255, 'C').c_str(), cut.c_str()));
}

TEST(WindowSearch, ClickPostsButtonDownThenUp) {
  FakeDesktop desktop;
  const WindowId window = desktop.AddTopLevel("#32770", "x", 0, 0, 10, 10);
  Click(desktop, window);
  ASSERT_EQ(2u, desktop.posts.size());
  EXPECT_EQ(kMsgLButtonDown, desktop.posts[0].message);
  EXPECT_EQ(kMsgLButtonUp, desktop.posts[1].message);
  EXPECT_EQ(1, desktop.ClicksOn(window));
}

std::size_t Fits(const std::string& text, std::size_t limit) { return GbkPrefixLength(text.data(), text.size(), limit); }

// The window-text reads keep 254 bytes, the tooltip 63: a cut inside a character would leave a lead
// byte that swallows whatever follows it.
TEST(GbkText, ACutNeverEndsInHalfACharacter) {
  const std::string chinese = "随";  // cb e6
  EXPECT_EQ(2u, Fits("ab" + chinese, 3));
  EXPECT_EQ(4u, Fits("ab" + chinese, 4));
  std::string all;
  for (int i = 0; i < 128; ++i) all += chinese;
  EXPECT_EQ(254u, Fits(all, 254));
  EXPECT_EQ(253u, Fits("a" + all, 254)) << "one byte short of the last whole character";
  EXPECT_EQ(2u, Fits("\x81\x40\x81\x40", 3)) << "a trail byte may look like ASCII";
  EXPECT_EQ(2u, Fits("a\x81", 5)) << "a lead byte at the very end is a byte of its own";
  EXPECT_EQ(0u, Fits(chinese, 1));
}

}  // namespace
}  // namespace zemvar
