#include "about/win32_link_label.h"

#include <shellapi.h>

#include <cstddef>
#include <cstring>
#include <cwchar>

#include "platform/win32_text.h"

namespace zemvar {

namespace {

// The label keeps its font as the rules see it, with a GBK face name; Windows gets it in UTF-16.
LOGFONTW WideFont(const LOGFONTA& font) {
  LOGFONTW wide{};
  std::memcpy(&wide, &font, offsetof(LOGFONTA, lfFaceName));
  std::wcsncpy(wide.lfFaceName, WideFromGbk(font.lfFaceName).data(), LF_FACESIZE - 1);
  return wide;
}

LOGFONTA GbkFont(const LOGFONTW& wide) {
  LOGFONTA font{};
  std::memcpy(&font, &wide, offsetof(LOGFONTW, lfFaceName));
  GbkFromWide(wide.lfFaceName, std::wcslen(wide.lfFaceName), LF_FACESIZE - 1).copy(font.lfFaceName, LF_FACESIZE - 1);
  return font;
}

void ChangeStyle(HWND window, int index, LONG_PTR remove, LONG_PTR add, UINT frameFlags) {
  if (!window) return;
  const LONG_PTR style = GetWindowLongPtrW(window, index);
  SetWindowLongPtrW(window, index, (style & ~remove) | add);
  if (frameFlags) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | frameFlags);
  }
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

// Bands are filled with FillRect, which covers exactly [left, right) x [top, bottom): every pixel
// of the rectangle, its bottom row and right column included, gets a band.
void FillGradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to, int maxBands) {
  for (const GradientBand& band : PlanGradient(rect.left, rect.right, from, to, maxBands)) {
    const RECT area{band.left, rect.top, band.right, rect.bottom};
    FillSolid(dc, area, band.colour);
  }
}

}  // namespace

LinkLabel::LinkLabel()
    : textColor_(GetSysColor(COLOR_WINDOWTEXT)),
      defaultBackgroundBrush_(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))) {}

LinkLabel::~LinkLabel() {
  // The window may outlive the label; it must not keep ticking into a static that no longer blinks.
  if (hwnd() && blinkTimerStarted_) KillTimer(hwnd(), BLINK_TIMER_ID);
  Detach();
  if (font_) DeleteObject(font_);
  DeleteObject(defaultBackgroundBrush_);
  if (backgroundBrush_) DeleteObject(backgroundBrush_);
}

void LinkLabel::OnAttached() {
  HFONT current = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  // A static without a font of its own draws with the system font; start from the GUI font.
  if (!current) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW wide{};
  GetObjectW(current, sizeof wide, &wide);
  logFont_ = GbkFont(wide);
  RebuildFont();
}

void LinkLabel::RebuildFont() {
  if (font_) DeleteObject(font_);
  const LOGFONTW wide = WideFont(logFont_);
  font_ = CreateFontIndirectW(&wide);
}

void LinkLabel::RedrawLabel() {
  HWND window = hwnd();
  if (!window) return;
  RECT area;
  GetWindowRect(window, &area);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  HWND parent = GetParent(window);
  if (!parent) return;
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
  InvalidateRect(parent, &area, TRUE);
  UpdateWindow(parent);
}

LinkLabel& LinkLabel::SetBackgroundFill(COLORREF color, COLORREF gradientEndColor, BOOL gradient) {
  backgroundColor_ = color;
  gradientEndColor_ = gradientEndColor;
  gradient_ = gradient;
  if (backgroundBrush_) {
    DeleteObject(backgroundBrush_);
    backgroundBrush_ = nullptr;
  }
  if (!gradient) backgroundBrush_ = CreateSolidBrush(color);
  RedrawLabel();
  return *this;
}

LinkLabel& LinkLabel::SetForegroundColor(COLORREF color) {
  textColor_ = color;
  RedrawLabel();
  return *this;
}

LinkLabel& LinkLabel::SetLabelText(const std::string& text) {
  if (hwnd()) SetWindowTextW(hwnd(), WideFromGbk(text).data());
  RedrawLabel();
  return *this;
}

LinkLabel& LinkLabel::SetBold(BOOL bold) {
  ApplyBold(logFont_, bold);
  RebuildFont();
  RedrawLabel();
  return *this;
}

LinkLabel& LinkLabel::SetFaceName(const std::string& faceName, BYTE charSet) {
  if (faceName.find('\0') == std::string::npos && ApplyFaceName(logFont_, faceName.c_str(), charSet)) {
    RebuildFont();
    RedrawLabel();
  }
  return *this;
}

LinkLabel& LinkLabel::SetUnderlined(BOOL underlined) {
  ApplyUnderline(logFont_, underlined);
  RebuildFont();
  RedrawLabel();
  return *this;
}

LinkLabel& LinkLabel::SetItalic(BOOL italic) {
  ApplyItalic(logFont_, italic);
  RebuildFont();
  RedrawLabel();
  return *this;
}

LinkLabel& LinkLabel::SetPointSize(int points) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  ApplyPointSize(logFont_, points, dpi);
  RebuildFont();
  RedrawLabel();
  return *this;
}

LinkLabel& LinkLabel::SetStaticEdge(BOOL on) {
  ChangeStyle(hwnd(), GWL_EXSTYLE, on ? 0 : WS_EX_STATICEDGE, on ? WS_EX_STATICEDGE : 0, SWP_FRAMECHANGED);
  return *this;
}

LinkLabel& LinkLabel::SetThinBorder(BOOL on) {
  ChangeStyle(hwnd(), GWL_STYLE, on ? 0 : WS_BORDER, on ? WS_BORDER : 0, SWP_FRAMECHANGED);
  return *this;
}

LinkLabel& LinkLabel::EnableTransparency(BOOL transparent) {
  transparent_ = transparent;
  ChangeStyle(hwnd(), GWL_EXSTYLE, 0, WS_EX_TRANSPARENT, 0);
  RedrawLabel();
  return *this;
}

void LinkLabel::StartBlink(BlinkMode mode) {
  if (blinkTimerStarted_) KillTimer(hwnd(), BLINK_TIMER_ID);
  blinkPhase_ = FALSE;
  blinkTimerStarted_ = TRUE;
  SetTimer(hwnd(), BLINK_TIMER_ID, BLINK_PERIOD_MS, nullptr);
  blinkMode_ = mode;
}

// Either blink ends the one timer, so either stop ends the blinking mode, and the steady look is
// shown at once rather than whatever phase the last tick left.
void LinkLabel::StopBlink() {
  if (blinkTimerStarted_) KillTimer(hwnd(), BLINK_TIMER_ID);
  blinkMode_ = BlinkNone;
  RedrawLabel();
}

LinkLabel& LinkLabel::EnableTextBlink(BOOL on) {
  if (on) {
    StartBlink(BlinkText);
  } else {
    StopBlink();
  }
  return *this;
}

LinkLabel& LinkLabel::EnableBackgroundBlink(BOOL on) {
  if (on) {
    StartBlink(BlinkBackground);
  } else {
    StopBlink();
  }
  return *this;
}

LinkLabel& LinkLabel::SetHyperlink(BOOL link, BOOL notifyParent) {
  notifyParent_ = notifyParent;
  ChangeStyle(hwnd(), GWL_STYLE, link ? 0 : SS_NOTIFY, link ? SS_NOTIFY : 0, 0);
  return *this;
}

LinkLabel& LinkLabel::SetHoverCursor(HCURSOR cursor) {
  hoverCursor_ = cursor;
  return *this;
}

LinkLabel& LinkLabel::SetEmbossed(BOOL on, BOOL downRight) {
  embossed_ = on;
  embossDownRight_ = downRight;
  RedrawLabel();
  return *this;
}

LinkLabel& LinkLabel::SetTextAngle(int degrees, BOOL rotated) {
  ApplyTextAngle(logFont_, degrees);
  rotated_ = rotated;
  RebuildFont();
  RedrawLabel();
  return *this;
}

LinkLabel& LinkLabel::SetEmbossColor(COLORREF color) {
  embossColor_ = color;
  RedrawLabel();
  return *this;
}

COLORREF LinkLabel::BrushColour(HBRUSH brush) const {
  LOGBRUSH info{};
  return GetObjectA(brush, sizeof(info), &info) ? info.lbColor : 0;
}

WideText LinkLabel::WindowWideText() const {
  const int length = GetWindowTextLengthW(hwnd());
  WideText text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd(), text.data(), length + 1)) + 1);
  return text;
}

std::string LinkLabel::WindowText() const {
  const WideText wide = WindowWideText();
  return GbkFromWide(wide.data(), wide.size() - 1, wide.size() * 2);
}

void LinkLabel::OnPaint(HDC target) {
  RECT rect;
  GetClientRect(hwnd(), &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const std::string text = WindowText();
  if (transparent_) {
    DrawContent(target, rect, text);
    return;
  }
  if (width <= 0 || height <= 0) return;
  // Drawn off screen and copied in one go, so a blinking label does not flicker.
  HDC memory = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, width, height);
  if (!memory || !bitmap) {
    if (memory) DeleteDC(memory);
    if (bitmap) DeleteObject(bitmap);
    DrawContent(target, rect, text);
    return;
  }
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  DrawContent(memory, rect, text);
  BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteDC(memory);
  DeleteObject(bitmap);
}

void LinkLabel::DrawContent(HDC dc, const RECT& rect, const std::string& text) {
  const COLORREF off = backgroundBrush_ ? BrushColour(backgroundBrush_) : 0;
  const COLORREF background = gradient_          ? backgroundColor_
                              : backgroundBrush_ ? BrushColour(backgroundBrush_)
                                                 : BrushColour(defaultBackgroundBrush_);
  // A transparent label has no background of its own to swap.
  const BlinkMode mode = transparent_ && blinkMode_ == BlinkBackground ? BlinkNone : blinkMode_;
  const LabelColours colours = ColoursForPhase(mode, blinkPhase_ != FALSE, textColor_, off, background);

  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, colours.text);
  HGDIOBJ oldFont = font_ ? SelectObject(dc, font_) : nullptr;

  if (!transparent_) {
    if (colours.backgroundIsText) {
      FillSolid(dc, rect, textColor_);
    } else if (gradient_) {
      FillGradient(dc, rect, backgroundColor_, gradientEndColor_, GRADIENT_MAX_BANDS);
    } else {
      FillRect(dc, &rect, backgroundBrush_ ? backgroundBrush_ : defaultBackgroundBrush_);
    }
  }

  const WideText wide = WideFromGbk(text);
  const int length = static_cast<int>(wide.size() - 1);
  if (!text.empty()) {
    if (rotated_) {
      // The text starts at the centre and runs along the font's escapement.
      const UINT oldAlign = SetTextAlign(dc, TA_BASELINE);
      POINT oldOrigin;
      OffsetViewportOrgEx(dc, (rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2, &oldOrigin);
      TextOutW(dc, 0, 0, wide.data(), length);
      SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
      SetTextAlign(dc, oldAlign);
    } else {
      const UINT format =
          TextFormatForStyle(static_cast<std::uint32_t>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), text);
      RECT area = rect;
      DrawTextW(dc, wide.data(), length, &area, format);
      if (embossed_) {
        SetTextColor(dc, embossColor_);
        const int offset = embossDownRight_ ? 1 : -1;
        OffsetRect(&area, offset, offset);
        DrawTextW(dc, wide.data(), length, &area, format);
      }
    }
  }

  SetBkMode(dc, oldMode);
  if (oldFont) SelectObject(dc, oldFont);
  SetTextColor(dc, oldColour);
}

void LinkLabel::OnTimer() {
  blinkPhase_ = !blinkPhase_;
  RedrawLabel();
}

void LinkLabel::OnLButtonDown() {
  if (notifyParent_) {
    NMHDR header{};
    header.hwndFrom = hwnd();
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd()));
    header.code = LINK_LABEL_CLICKED;
    SendMessageW(GetParent(hwnd()), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  } else {
    ShellExecuteW(nullptr, L"open", WindowWideText().data(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

bool LinkLabel::OnSetCursor() {
  if (!hoverCursor_) return false;
  SetCursor(hoverCursor_);
  return true;
}

void LinkLabel::OnSysColorChange() {
  DeleteObject(defaultBackgroundBrush_);
  defaultBackgroundBrush_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  RedrawLabel();
}

LRESULT LinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      OnTimer();
      return Default(message, wParam, lParam);
    case WM_LBUTTONDOWN: {
      HWND window = hwnd();
      OnLButtonDown();
      // The parent may have closed us while handling the notification.
      if (!IsWindow(window) || hwnd() != window) return 0;
      // The static's own processing sends STN_CLICKED, since the label has SS_NOTIFY.
      return Default(message, wParam, lParam);
    }
    case WM_SETCURSOR:
      return OnSetCursor() ? TRUE : Default(message, wParam, lParam);
    case WM_SYSCOLORCHANGE:
      OnSysColorChange();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd(), &paint);
      if (dc) OnPaint(dc);
      EndPaint(hwnd(), &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      OnPaint(reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace zemvar
