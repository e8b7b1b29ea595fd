#include "tray/tray_rules.h"

#include <iterator>

#include "dialer/desktop.h"

namespace zemvar {

CheckGate checkBusy;

namespace {

constexpr const char* kStatusTexts[] = {
    "G3随e行 Tessaline",
    "未安装“G3随e行”",
    "启动“G3随e行”失败",
    "未发现运行中的“G3随e行”",
    "请插入3G无线网卡",
    "未发现“G3随e行”主窗口",
    "未找到“G3随e行”自动连接按钮",
    "“G3随e行”拒绝操作，请以管理员身份运行本程序",
    "“G3随e行”没有响应",
    "“G3随e行”已连接但无法上网",
};
static_assert(std::size(kStatusTexts) == kStatusCount, "every status has its text");

}  // namespace

int ShownStatus(int status) { return status >= 0 && status < kStatusCount ? status : 0; }

const char* StatusText(int status) { return kStatusTexts[ShownStatus(status)]; }

bool StatusShowsAlert(int status) { return ShownStatus(status) != 0; }

bool OpensTrayMenu(std::uintptr_t iconId, std::intptr_t mouseMessage) {
  return iconId == kTrayIconId && (mouseMessage == kMsgLButtonDown || mouseMessage == kMsgRButtonDown);
}

std::uint32_t TimerIntervalMs(int seconds) {
  if (seconds < kMinTimerSeconds) seconds = kMinTimerSeconds;
  if (seconds > kMaxTimerSeconds) seconds = kMaxTimerSeconds;
  return static_cast<std::uint32_t>(seconds) * 1000u;
}

bool RunGuardedCheck(CheckGate& gate, CheckFunction check, void* checkContext, DialerWatches& watches,
                     ReportFunction report, void* reportContext) {
  if (!gate.TryEnter()) return false;
  std::vector<std::string> notes;
  const int status = check(checkContext, watches, &notes);
  report(status, &notes, reportContext);
  gate.Leave();
  return true;
}

}  // namespace zemvar
