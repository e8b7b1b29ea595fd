#include "platform/tick_count.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace zemvar {
namespace {

constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;

TEST(TickCount, FollowsTheCountAcrossItsWrap) {
  std::atomic<std::uint64_t> last{0};
  EXPECT_EQ(WidenTickCount(last, 0xFFFFF000u), 0xFFFFF000u);
  EXPECT_EQ(WidenTickCount(last, 0x00000100u), kWrap + 0x100);
  EXPECT_EQ(WidenTickCount(last, 0x80000100u), kWrap + 0x80000100u);  // 24 days between two readings
  EXPECT_EQ(WidenTickCount(last, 5u), 2 * kWrap + 5);
}

TEST(TickCount, AReadingOvertakenByAnotherThreadIsNoWrap) {
  std::atomic<std::uint64_t> last{0};
  WidenTickCount(last, 1005);
  EXPECT_EQ(WidenTickCount(last, 1000), 1005u);
  EXPECT_EQ(WidenTickCount(last, 1010), 1010u);
}

TEST(TickCount, ThreadsReadingOneClockNeverSeeItJump) {
  std::atomic<std::uint32_t> clock{0xFFFF0000u};
  std::atomic<std::uint64_t> last{0};
  std::atomic<bool> jumped{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      std::uint64_t previous = 0;
      for (int i = 0; i < 50000; ++i) {
        const std::uint64_t count = WidenTickCount(last, clock.fetch_add(1));
        if (count < previous || count > kWrap + 0x30000) jumped = true;
        previous = count;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_FALSE(jumped);
  EXPECT_EQ(last.load(), std::uint64_t{0xFFFF0000u} + 4 * 50000 - 1);
}

}  // namespace
}  // namespace zemvar
