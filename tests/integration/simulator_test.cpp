// The simulator's own ways out, which the end-to-end tests and people rely on.
#include <gtest/gtest.h>

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
    ASSERT_TRUE(sim.Start("--no-detect --exit-after 1500"));
    EXPECT_FALSE(sim.WaitForExit(500));
    EXPECT_TRUE(sim.WaitForExit(5000));
    EXPECT_EQ("exit", sim.Journal().back());
  }
}

}  // namespace
}  // namespace zemvar
