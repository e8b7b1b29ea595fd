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
  // The whole run spans 40,000 ticks across the wrap, less than the minute a reading may lag, so a
  // thread held back any length of time still reads late rather than a wrap.
  constexpr std::uint32_t kStart = 0xFFFFB000u;
  constexpr int kThreads = 4, kReadings = 10000;
  std::atomic<std::uint32_t> clock{kStart};
  std::atomic<std::uint64_t> last{0};
  std::atomic<bool> jumped{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      std::uint64_t previous = 0;
      for (int i = 0; i < kReadings; ++i) {
        const std::uint64_t count = WidenTickCount(last, clock.fetch_add(1));
        if (count < previous || count >= std::uint64_t{kStart} + kThreads * kReadings) jumped = true;
        previous = count;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_FALSE(jumped);
  EXPECT_EQ(last.load(), std::uint64_t{kStart} + kThreads * kReadings - 1);
}

}  // namespace
}  // namespace zemvar
