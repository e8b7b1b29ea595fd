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
  if (ClickButtonAt(desktop, box, kNoSimButtonX, kNoSimButtonY)) pauses.Pause(kAfterClickPause);

  // The SIM message under any caption.
  box = FindDialerBox(desktop, nullptr, nullptr, 0, kNoSimZh, kNoSimEn);
  if (ClickButtonAt(desktop, box, kNoSimAnyTitleButtonX, kNoSimAnyTitleButtonY)) pauses.Pause(kAfterClickPause);

  box = FindDialerBox(desktop, kPromptTitleZh, kPromptTitleEn, 0, kNoDeviceZh, kNoDeviceEn);
  if (ClickButtonAt(desktop, box, kNoDeviceButtonX, kNoDeviceButtonY)) {
    result = StatusNoDevice;
    pauses.Pause(kAfterClickPause);
  }

  // Only the prompt that the main window owns is the dialer's.
  box = FindDialerBox(desktop, kNetworkPromptTitleZh, kNetworkPromptTitleEn, dialerMainWindow, nullptr, nullptr);
  if (box) {
    WindowId button = FindChildAt(desktop, box, kButtonClass, kNetworkPromptButtonX, kNetworkPromptButtonY);
    if (!button) button = FirstButton(desktop, box);
    if (button) {
      Click(desktop, button);
      return StatusOk;
    }
  }

  box = FindDialerBox(desktop, kPromptTitleZh, kPromptTitleEn, 0, kConnectedZh, kConnectedEn);
  if (ClickButtonAt(desktop, box, kConnectedButtonX, kConnectedButtonY)) return StatusOk;

  desktop.Post(dialerMainWindow, kMsgCommand, DIALER_CONNECT_COMMAND, 0);
  return result;
}

}  // namespace zemvar
