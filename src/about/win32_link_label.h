// A static control that paints its own text and background and can act as a hyperlink. It takes
// over an existing static control of a dialog (Attach); setters may be called only after that.
#pragma once

#include <windows.h>

#include <string>

#include "about/label_paint.h"
#include "platform/win32_text.h"
#include "ui/win32_dialog.h"

namespace zemvar {

class LinkLabel : public ui::SubclassedControl {
 public:
  static constexpr UINT_PTR BLINK_TIMER_ID = 1;
  static constexpr UINT BLINK_PERIOD_MS = 500;
  // Notification code of the WM_NOTIFY a click sends the parent when notifyParent is set.
  static constexpr UINT LINK_LABEL_CLICKED = 0x8200;

  LinkLabel();
  ~LinkLabel() override;

  virtual LinkLabel& SetBackgroundFill(COLORREF color, COLORREF gradientEndColor, BOOL gradient);
  virtual LinkLabel& SetForegroundColor(COLORREF color);
  virtual LinkLabel& SetLabelText(const std::string& text);
  virtual LinkLabel& SetBold(BOOL bold);
  // Names longer than 31 characters are refused; the font stays as it was.
  virtual LinkLabel& SetFaceName(const std::string& faceName, BYTE charSet);
  virtual LinkLabel& SetUnderlined(BOOL underlined);
  virtual LinkLabel& SetItalic(BOOL italic);
  virtual LinkLabel& SetPointSize(int points);
  virtual LinkLabel& SetStaticEdge(BOOL on);
  virtual LinkLabel& SetThinBorder(BOOL on);
  // WS_EX_TRANSPARENT stays on the window once given, even when transparency is turned off.
  virtual LinkLabel& EnableTransparency(BOOL transparent);
  virtual LinkLabel& EnableTextBlink(BOOL on);
  // Background blink swaps background and text colours every half second.
  virtual LinkLabel& EnableBackgroundBlink(BOOL on);
  virtual LinkLabel& SetHyperlink(BOOL link, BOOL notifyParent);
  virtual LinkLabel& SetHoverCursor(HCURSOR cursor);
  virtual LinkLabel& SetEmbossed(BOOL on, BOOL downRight);
  virtual LinkLabel& SetTextAngle(int degrees, BOOL rotated);
  virtual LinkLabel& SetEmbossColor(COLORREF color);

  // Read back for the tests and the About box.
  const LOGFONTA& logFont() const { return logFont_; }
  HFONT font() const { return font_; }
  COLORREF textColor() const { return textColor_; }
  BlinkMode blinkMode() const { return blinkMode_; }
  bool hasCustomBrush() const { return backgroundBrush_ != nullptr; }

 protected:
  void OnAttached() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void RedrawLabel();
  void RebuildFont();
  void OnTimer();
  void OnLButtonDown();
  bool OnSetCursor();
  void OnSysColorChange();
  void OnPaint(HDC target);
  void DrawContent(HDC dc, const RECT& rect, const std::string& text);
  void StartBlink(BlinkMode mode);
  void StopBlink();
  COLORREF BrushColour(HBRUSH brush) const;
  std::string WindowText() const;  // GBK, for the rules
  WideText WindowWideText() const;

  COLORREF textColor_;
  COLORREF embossColor_ = RGB(255, 255, 255);
  HBRUSH defaultBackgroundBrush_;
  HBRUSH backgroundBrush_ = nullptr;
  LOGFONTA logFont_{};
  HFONT font_ = nullptr;
  BOOL blinkPhase_ = FALSE;
  BOOL blinkTimerStarted_ = FALSE;
  BOOL transparent_ = FALSE;
  BOOL embossed_ = FALSE;
  BOOL notifyParent_ = FALSE;
  BOOL rotated_ = FALSE;
  BlinkMode blinkMode_ = BlinkNone;
  HCURSOR hoverCursor_ = nullptr;
  BOOL embossDownRight_ = FALSE;
  BOOL gradient_ = FALSE;
  COLORREF gradientEndColor_ = 0;
  COLORREF backgroundColor_ = 0;
};

}  // namespace zemvar
