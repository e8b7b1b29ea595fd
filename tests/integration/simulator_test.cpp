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

}  // namespace
}  // namespace zemvar
