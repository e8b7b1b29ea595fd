#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tray/tray_rules.h"

namespace zemvar {
namespace {

TEST(TrayStatus, TextsAndIconsByStatus) {
  EXPECT_STREQ("G3随e行 Tessaline", StatusText(0));
  EXPECT_STREQ("未安装“G3随e行”", StatusText(1));
  EXPECT_STREQ("启动“G3随e行”失败", StatusText(2));
  EXPECT_STREQ("未发现运行中的“G3随e行”", StatusText(3));
  EXPECT_STREQ("请插入3G无线网卡", StatusText(4));
  EXPECT_STREQ("未发现“G3随e行”主窗口", StatusText(5));
  EXPECT_STREQ("未找到“G3随e行”自动连接按钮", StatusText(6));
  EXPECT_STREQ("“G3随e行”拒绝操作，请以管理员身份运行本程序", StatusText(7));
  EXPECT_STREQ("“G3随e行”没有响应", StatusText(8));
  EXPECT_STREQ("“G3随e行”已连接但无法上网", StatusText(9));
  // The GBK bytes the "A" functions and the shell see.
  EXPECT_EQ(0, std::memcmp(StatusText(4), "\xc7\xeb\xb2\xe5\xc8\xeb" "3G", 8));
  for (int s = 0; s < kStatusCount; ++s) {
    EXPECT_EQ(s != 0, StatusShowsAlert(s)) << s;
    EXPECT_LT(std::strlen(StatusText(s)), 64u) << "tooltip of the first record version holds 63 bytes";
  }
}

TEST(TrayStatus, OutOfRangeShowsAsAllWell) {
  for (int s : {-1, 10, 100, -2147483647 - 1, 2147483647}) {
    EXPECT_EQ(0, ShownStatus(s));
    EXPECT_STREQ(StatusText(0), StatusText(s));
    EXPECT_FALSE(StatusShowsAlert(s));
  }
}

TEST(TrayCallback, OnlyALeftOrRightPressOnOurIconOpensTheMenu) {
  EXPECT_TRUE(OpensTrayMenu(129, 0x0201));   // WM_LBUTTONDOWN
  EXPECT_TRUE(OpensTrayMenu(129, 0x0204));   // WM_RBUTTONDOWN
  EXPECT_FALSE(OpensTrayMenu(129, 0x0202));  // WM_LBUTTONUP
  EXPECT_FALSE(OpensTrayMenu(129, 0x0205));  // WM_RBUTTONUP
  EXPECT_FALSE(OpensTrayMenu(129, 0x0207));  // WM_MBUTTONDOWN
  EXPECT_FALSE(OpensTrayMenu(129, 0x0203));  // WM_LBUTTONDBLCLK
  EXPECT_FALSE(OpensTrayMenu(129, 0x0200));  // WM_MOUSEMOVE
  EXPECT_FALSE(OpensTrayMenu(128, 0x0201));
}

TEST(TimerInterval, IsBoundedToWhatTheTimerCanHold) {
  EXPECT_EQ(30000u, TimerIntervalMs(30));
  EXPECT_EQ(1000u, TimerIntervalMs(1));
  EXPECT_EQ(1000u, TimerIntervalMs(0));
  EXPECT_EQ(1000u, TimerIntervalMs(-5));
  EXPECT_EQ(2147483000u, TimerIntervalMs(2147483));
  EXPECT_EQ(2147483000u, TimerIntervalMs(2147484)) << "past the platform's longest timer, 0x7FFFFFFF ms";
  EXPECT_EQ(2147483000u, TimerIntervalMs(2147483647));
}

TEST(ShownTrayStatus, OnlyAChangeCostsAShellCall) {
  ShownTrayStatus shown;
  EXPECT_FALSE(shown.Accept(0));  // first check all well: the icon added at start already says so
  EXPECT_TRUE(shown.Accept(4));
  EXPECT_FALSE(shown.Accept(4));
  EXPECT_TRUE(shown.Accept(0));
  EXPECT_EQ(0, shown.Get());
}

struct Overlap {
  const CheckGate* gate = nullptr;
  std::atomic<int> running{0};
  std::atomic<int> most{0};
  std::atomic<int> checks{0};
  std::atomic<int> reportsInGate{0};
};

int SlowCheck(void* context, DialerWatches&, std::vector<std::string>*) {
  auto* o = static_cast<Overlap*>(context);
  const int now = ++o->running;
  int most = o->most.load();
  while (now > most && !o->most.compare_exchange_weak(most, now)) {
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  --o->running;
  return ++o->checks;
}

// A status reported after the gate opened could land after a newer check's and overwrite it.
void CountReport(int, std::vector<std::string>*, void* context) {
  auto* o = static_cast<Overlap*>(context);
  if (o->gate->Busy()) ++o->reportsInGate;
}

TEST(CheckGate, ChecksNeverOverlap) {
  CheckGate gate;
  Overlap o;
  o.gate = &gate;
  DialerWatches watch;
  std::atomic<int> ran{0};
  std::vector<std::thread> workers;
  for (int i = 0; i < 16; ++i) {
    workers.emplace_back([&] {
      for (int k = 0; k < 50; ++k) ran += RunGuardedCheck(gate, SlowCheck, &o, watch, CountReport, &o) ? 1 : 0;
    });
  }
  for (auto& w : workers) w.join();
  EXPECT_EQ(1, o.most.load());
  EXPECT_LT(ran.load(), 16 * 50);  // some ticks were skipped
  EXPECT_EQ(ran.load(), o.checks.load());
  EXPECT_EQ(ran.load(), o.reportsInGate.load()) << "each status is reported before the gate opens";
  EXPECT_FALSE(gate.Busy());
}

// A tick that arrives while a long check runs is skipped, and the running check still reports its status.
TEST(CheckGate, ASkippedTickLosesNoStatus) {
  CheckGate gate;
  DialerWatches watch;
  std::atomic<bool> release{false}, started{false};
  struct Context {
    std::atomic<bool>* release;
    std::atomic<bool>* started;
  } context{&release, &started};
  std::vector<int> reported;
  std::vector<std::string> notes;
  ShownTrayStatus shown;
  static std::vector<std::string>* reportedNotes = &notes;
  auto report = [](int status, std::vector<std::string>* checkNotes, void* list) {
    static_cast<std::vector<int>*>(list)->push_back(status);
    for (auto& note : *checkNotes) reportedNotes->push_back(note);
  };

  std::thread longCheck([&] {
    RunGuardedCheck(
        gate,
        [](void* c, DialerWatches&, std::vector<std::string>* checkNotes) {
          auto* ctx = static_cast<Context*>(c);
          *ctx->started = true;
          while (!*ctx->release) std::this_thread::yield();
          checkNotes->push_back("the dialer's note");
          return 4;
        },
        &context, watch, report, &reported);
  });
  while (!started) std::this_thread::yield();
  EXPECT_FALSE(RunGuardedCheck(gate, [](void*, DialerWatches&, std::vector<std::string>*) { return 0; }, nullptr, watch, report, &reported));
  release = true;
  longCheck.join();
  ASSERT_EQ(std::vector<int>{4}, reported);
  EXPECT_EQ(std::vector<std::string>{"the dialer's note"}, notes) << "a check's notes travel with its status";
  EXPECT_TRUE(shown.Accept(reported.back()));
  EXPECT_EQ(4, shown.Get());
  // The gate is open again for the next tick.
  EXPECT_TRUE(RunGuardedCheck(gate, [](void*, DialerWatches&, std::vector<std::string>*) { return 0; }, nullptr, watch, report, &reported));
}

}  // namespace
}  // namespace zemvar
