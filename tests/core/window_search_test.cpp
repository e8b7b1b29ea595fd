#include "dialer/window_search.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_desktop.h"

namespace zemvar {
namespace {

using testing::FakeDesktop;

TEST(WindowSearch, FirstMatchInZOrderWins) {
  FakeDesktop desktop;
  const WindowId first = desktop.AddTopLevel("#32770", "G3 eWalk", 0, 0, 100, 100);
  desktop.AddTopLevel("#32770", "G3 eWalk", 0, 0, 100, 100);
  WindowCriteria c;
  c.className = "#32770";
  c.titleA = "G3随e行";
  c.titleB = "G3 eWalk";
  SearchTopLevel(desktop, MatchTopLevel, c);
  EXPECT_EQ(first, c.found);
}

}  // namespace
}  // namespace zemvar
