#include "dialer/hung_dialer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zemvar {
namespace {

// A check a minute from tick 0, 'h' for a hung one; each end is tried at once, worked or not. Gives the ends.
std::vector<int> EndsAt(int restartAfter, const std::string& checks) {
  EndSpacing spacing;
  HungDialerWatch watch(spacing, restartAfter);
  std::vector<int> ends;
  for (int i = 0; i < static_cast<int>(checks.size()); ++i) {
    if (!watch.Observe(checks[i] == 'h', i * 60000ull)) continue;
    watch.Ended(i * 60000ull);
    ends.push_back(i);
  }
  return ends;
}

TEST(HungDialerWatch, EndsAfterTheGivenHungChecksInARowAtMostOncePerTenMinutes) {
  EXPECT_EQ(EndsAt(3, "hh.hh.hhhhh"), std::vector<int>{8});
  EXPECT_EQ(EndsAt(0, "hhhhhh"), std::vector<int>{});
  EXPECT_EQ(EndsAt(-1, "hhhhhh"), std::vector<int>{});
  EXPECT_EQ(EndsAt(2, std::string(25, 'h')), (std::vector<int>{1, 11, 21}));
  EXPECT_EQ(EndsAt(15, std::string(30, 'h')), (std::vector<int>{14, 29}));  // the count starts again
}

}  // namespace
}  // namespace zemvar
