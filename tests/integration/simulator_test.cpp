// The simulator's own ways out, which the end-to-end tests and people rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simulator.h"

namespace zemvar {
namespace {

using testing::Simulator;

TEST(DialerSimulator, QuitsWhenItsWindowIsClosedOrItsTimeIsUp) {
  testing::EndStrayDialers();
  {
    Simulator sim("QuitOnClose");
    ASSERT_TRUE(sim.ready());
    ASSERT_TRUE(sim.Start("--no-detect --no-panel"));
    ASSERT_TRUE(PostMessageA(sim.Window(), WM_CLOSE, 0, 0));
    EXPECT_TRUE(sim.WaitForExit(5000));
    EXPECT_EQ("exit", sim.Journal().back());
  }
  {
    Simulator sim("QuitAfterTime");
    ASSERT_TRUE(sim.ready());
    // Its times count from its own start, however slow that was: not too early shows as a box due
    // at 1 s coming before the exit due at 1.5 s.
    ASSERT_TRUE(sim.Launch("--no-detect --boxes sim@1000 --exit-after 1500"));
    EXPECT_TRUE(sim.WaitForExit(30000));
    const std::vector<std::string> journal = sim.Journal();
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{"show box=sim", "exit"}),
              std::vector<std::string>(journal.end() - 2, journal.end()));
  }
}

TEST(DialerSimulator, StopsTakingMessagesWhenAskedToHang) {
  Simulator sim("Hang");
  ASSERT_TRUE(sim.Start("--no-detect --no-panel --hang-after 2000"));  // it answered the sync
  const HWND window = sim.Window();
  EXPECT_FALSE(IsHungAppWindow(window));
  ASSERT_TRUE(sim.WaitFor("hang", 20000));
  // The system calls a window hung once its thread has taken no message for 5 s.
  const DWORD hangSeen = GetTickCount();
  while (!IsHungAppWindow(window) && GetTickCount() - hangSeen < 15000) Sleep(100);
  EXPECT_TRUE(IsHungAppWindow(window) && IsWindowVisible(window)) << GetTickCount() - hangSeen << " ms after";
  sim.Stop();
  EXPECT_TRUE(sim.WaitForExit(5000));
}

}  // namespace
}  // namespace zemvar
