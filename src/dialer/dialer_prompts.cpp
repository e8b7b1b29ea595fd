#include "dialer/dialer_prompts.h"

#include "dialer/dialer_texts.h"
#include "dialer/dialer_windows.h"

namespace zemvar {

WindowId dialerMainWindow = 0;

namespace {

constexpr std::uint32_t kAfterClickPause = 500;

WindowId FirstButton(Desktop& desktop, WindowId box) {
  WindowCriteria button;
  button.className = dialer::kButtonClass;
  button.parent = box;
  SearchDescendants(desktop, box, MatchChildByText, button);
  return button.found;
}

}  // namespace

ConnectionStatus HandleDialerPrompts(Desktop& desktop, Pauses& pauses) {
  using namespace dialer;
  ConnectionStatus result = StatusOk;
  if (!desktop.IsWindow(dialerMainWindow)) return StatusNoMainWindow;

  WindowId box = FindDialerBox(desktop, kPromptTitleZh, kPromptTitleEn, 0, kNoSimZh, kNoSimEn);
  Press press = ClickButtonAt(desktop, box, kNoSimButtonX, kNoSimButtonY);
  if (press == Press::Refused) return StatusRefused;
  if (press == Press::Pressed) pauses.Pause(kAfterClickPause);

  // The SIM message under any caption.
  box = FindDialerBox(desktop, nullptr, nullptr, 0, kNoSimZh, kNoSimEn);
  press = ClickButtonAt(desktop, box, kNoSimAnyTitleButtonX, kNoSimAnyTitleButtonY);
  if (press == Press::Refused) return StatusRefused;
  if (press == Press::Pressed) pauses.Pause(kAfterClickPause);

  box = FindDialerBox(desktop, kPromptTitleZh, kPromptTitleEn, 0, kNoDeviceZh, kNoDeviceEn);
  press = ClickButtonAt(desktop, box, kNoDeviceButtonX, kNoDeviceButtonY);
  if (press == Press::Refused) return StatusRefused;
  if (press == Press::Pressed) {
    result = StatusNoDevice;
    pauses.Pause(kAfterClickPause);
  }

  // Only the prompt that the main window owns is the dialer's.
  box = FindDialerBox(desktop, kNetworkPromptTitleZh, kNetworkPromptTitleEn, dialerMainWindow, nullptr, nullptr);
  if (box) {
    WindowId button = FindChildAt(desktop, box, kButtonClass, kNetworkPromptButtonX, kNetworkPromptButtonY);
    if (!button) button = FirstButton(desktop, box);
    press = PressControl(desktop, button);
    if (press != Press::Missing) return press == Press::Refused ? StatusRefused : StatusOk;
  }

  box = FindDialerBox(desktop, kPromptTitleZh, kPromptTitleEn, 0, kConnectedZh, kConnectedEn);
  press = ClickButtonAt(desktop, box, kConnectedButtonX, kConnectedButtonY);
  if (press != Press::Missing) return press == Press::Refused ? StatusRefused : StatusOk;

  if (desktop.Post(dialerMainWindow, kMsgCommand, DIALER_CONNECT_COMMAND, 0) == PostResult::Refused) return StatusRefused;
  return result;
}

}  // namespace zemvar
