#include "dialer/dialer_windows.h"

#include "dialer/dialer_texts.h"

namespace zemvar {

WindowId FindDialerBox(Desktop& desktop, const char* titleA, const char* titleB, WindowId owner,
                       const char* messageA, const char* messageB) {
  WindowCriteria box, message;
  box.className = dialer::kDialogClass;
  box.titleA = titleA;
  box.titleB = titleB;
  box.parent = owner;
  if (messageA || messageB) {
    message.className = dialer::kStaticClass;
    message.titleA = messageA;
    message.titleB = messageB;
    box.child = &message;
  }
  SearchTopLevel(desktop, MatchTopLevel, box);
  return box.found;
}

WindowId FindChildAt(Desktop& desktop, WindowId parent, const char* className, std::int32_t x, std::int32_t y) {
  WindowCriteria child;
  child.className = className;
  child.parent = parent;
  child.pointX = x;
  child.pointY = y;
  SearchDescendants(desktop, parent, MatchChildAtPoint, child);
  return child.found;
}

Press PressControl(Desktop& desktop, WindowId control) {
  if (!control) return Press::Missing;
  return Click(desktop, control) == PostResult::Refused ? Press::Refused : Press::Pressed;
}

Press ClickButtonAt(Desktop& desktop, WindowId box, std::int32_t x, std::int32_t y) {
  if (!box) return Press::Missing;
  return PressControl(desktop, FindChildAt(desktop, box, dialer::kButtonClass, x, y));
}

void SetDialerCriteria(WindowCriteria& criteria, WindowCriteria& marker) {
  criteria = WindowCriteria{};
  marker = WindowCriteria{};
  marker.className = dialer::kStaticClass;
  marker.pointX = dialer::kMarkerX;
  marker.pointY = dialer::kMarkerY;
  criteria.className = dialer::kDialogClass;
  criteria.titleA = dialer::kTitleZh;
  criteria.titleB = dialer::kTitleEn;
  criteria.child = &marker;
}

}  // namespace zemvar
