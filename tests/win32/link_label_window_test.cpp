// The link label on a real static control in a real dialog, painted and read back as pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include "message_pump.h"

#include <algorithm>
#include <string>
#include <vector>

#include "about/label_paint.h"
#include "about/win32_link_label.h"

namespace zemvar {
namespace {

using zemvar::testing::Pump;
using zemvar::testing::PumpUntil;
using zemvar::testing::ReadWhenWritten;

constexpr int kLabelId = 100;
constexpr COLORREF kParentColour = RGB(255, 0, 255);

struct ParentEvent {
  UINT message;
  UINT code;
  UINT_PTR id;
  HWND from;
};
std::vector<ParentEvent> g_events;
HBRUSH g_parentBrush;

INT_PTR CALLBACK RecordingParent(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(g_parentBrush);
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      g_events.push_back({WM_NOTIFY, header->code, header->idFrom, header->hwndFrom});
      return TRUE;
    }
    case WM_COMMAND:
      g_events.push_back({WM_COMMAND, HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam)});
      return TRUE;
    default:
      return FALSE;
  }
}

void Push(std::vector<WORD>& t, DWORD value) {
  t.push_back(LOWORD(value));
  t.push_back(HIWORD(value));
}

// A dialog of one static control, built in memory. Without a font the static gets none.
std::vector<WORD> Template(DWORD staticStyle, bool withFont) {
  std::vector<WORD> t;
  Push(t, WS_POPUP | (withFont ? DS_SETFONT : 0));
  Push(t, 0);
  t.insert(t.end(), {1, 0, 0, 200, 100, 0, 0, 0});
  if (withFont) {
    t.push_back(8);
    for (const wchar_t* c = L"Tahoma"; *c; ++c) t.push_back(*c);
    t.push_back(0);
  }
  if (t.size() % 2) t.push_back(0);
  Push(t, staticStyle);
  Push(t, 0);
  t.insert(t.end(), {5, 5, 100, 20, kLabelId, 0xFFFF, 0x0082, 0, 0});
  return t;
}

// A shown dialog whose static control is placed at (10, 10) with the pixel size given.
class LabelHost {
 public:
  explicit LabelHost(DWORD staticStyle = WS_CHILD | WS_VISIBLE | SS_LEFT, int width = 250, int height = 30,
                     bool sharpFont = true, bool withFont = true) {
    if (!g_parentBrush) g_parentBrush = CreateSolidBrush(kParentColour);
    g_events.clear();
    const std::vector<WORD> t = Template(staticStyle, withFont);
    dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.data()),
                                         nullptr, RecordingParent, 0);
    control_ = GetDlgItem(dialog_, kLabelId);
    SetWindowPos(dialog_, HWND_TOP, 20, 20, width + 40, height + 40, SWP_NOACTIVATE);
    MoveWindow(control_, 10, 10, width, height, FALSE);
    if (sharpFont) {
      // Unsmoothed glyphs, so every text pixel has exactly the text colour.
      font_ = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                          "Tahoma");
      SendMessageA(control_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    ShowWindow(dialog_, SW_SHOWNOACTIVATE);
    UpdateWindow(dialog_);
  }
  ~LabelHost() {
    DestroyWindow(dialog_);
    if (font_) DeleteObject(font_);
  }

  HWND dialog() const { return dialog_; }
  HWND control() const { return control_; }

 private:
  HWND dialog_ = nullptr;
  HWND control_ = nullptr;
  HFONT font_ = nullptr;
};

// What is on the screen inside the window, row by row.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> colours;
  COLORREF at(int x, int y) const { return colours[static_cast<size_t>(y * width + x)]; }
  int Count(COLORREF c) const { return static_cast<int>(std::count(colours.begin(), colours.end(), c)); }
  // Smallest rectangle holding every pixel of colour c (empty when there is none).
  RECT Bounds(COLORREF c) const {
    RECT r{width, height, -1, -1};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (at(x, y) == c) r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y),
                                std::max<LONG>(r.right, x + 1), std::max<LONG>(r.bottom, y + 1)};
    return r;
  }
};

Pixels Capture(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  Pixels p;
  p.width = client.right;
  p.height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = p.width;
  info.bmiHeader.biHeight = -p.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, p.width, p.height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* raw = static_cast<const DWORD*>(bits);
  for (int i = 0; i < p.width * p.height; ++i) {
    const DWORD v = raw[i];
    p.colours.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
  }
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return p;
}

Pixels Repaint(HWND window) {
  RedrawWindow(GetParent(window), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return Capture(window);
}

TEST(LinkLabelPaint, GradientBandsHaveTheirColoursAndCoverEveryPixel) {
  LabelHost host(WS_CHILD | WS_VISIBLE | SS_LEFT, 250, 20);
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  label.SetBackgroundFill(RGB(0, 0, 0), RGB(255, 0, 0), TRUE);
  EXPECT_FALSE(label.hasCustomBrush());
  const Pixels p = Repaint(host.control());
  ASSERT_EQ(p.width, 250);
  EXPECT_EQ(p.at(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(p.at(2, 5), RGB(2, 0, 0));
  EXPECT_EQ(p.at(3, 5), RGB(2, 0, 0));
  EXPECT_EQ(p.at(4, 5), RGB(5, 0, 0));
  EXPECT_EQ(p.at(197, 5), RGB(249, 0, 0));
  EXPECT_EQ(p.at(198, 5), RGB(252, 0, 0));
  EXPECT_EQ(p.at(249, 19), RGB(252, 0, 0));
  EXPECT_EQ(p.Count(RGB(255, 0, 0)), 0);
  // Every column of every row, the bottom row and the right column too, has its band's colour.
  for (const GradientBand& band : PlanGradient(0, 250, RGB(0, 0, 0), RGB(255, 0, 0), GRADIENT_MAX_BANDS))
    for (int x = band.left; x < band.right; ++x)
      for (int y = 0; y < 20; ++y) ASSERT_EQ(p.at(x, y), band.colour) << x << "," << y;

  // A narrow label: one band per column, the end colour never reached.
  MoveWindow(host.control(), 10, 10, 60, 20, FALSE);
  label.SetBackgroundFill(RGB(255, 0, 0), RGB(0, 0, 0), TRUE);
  const Pixels narrow = Repaint(host.control());
  EXPECT_EQ(narrow.at(0, 19), RGB(255, 0, 0));
  EXPECT_EQ(narrow.at(1, 0), RGB(250, 0, 0));
  EXPECT_EQ(narrow.at(2, 0), RGB(246, 0, 0));
  EXPECT_EQ(narrow.at(59, 19), RGB(4, 0, 0));
}

TEST(LinkLabelPaint, TextColourUnderlineAndBackgrounds) {
  LabelHost host;
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  label.SetLabelText("iiiiiiii").SetBackgroundFill(RGB(255, 255, 255), 0, FALSE).SetForegroundColor(RGB(0, 0, 255));
  EXPECT_TRUE(label.hasCustomBrush());
  Pixels p = Repaint(host.control());
  const int blue = p.Count(RGB(0, 0, 255));
  EXPECT_GT(blue, 10);
  EXPECT_EQ(blue + p.Count(RGB(255, 255, 255)), p.width * p.height) << "only text and background";

  // The underline is a run of text colour as wide as the text.
  auto longestRun = [](const Pixels& px, COLORREF c) {
    int best = 0;
    for (int y = 0; y < px.height; ++y) {
      int run = 0;
      for (int x = 0; x < px.width; ++x) best = std::max(best, run = px.at(x, y) == c ? run + 1 : 0);
    }
    return best;
  };
  const RECT text = p.Bounds(RGB(0, 0, 255));
  EXPECT_LT(longestRun(p, RGB(0, 0, 255)), 4);
  label.SetUnderlined(TRUE);
  EXPECT_EQ(label.logFont().lfUnderline, 1);
  p = Repaint(host.control());
  EXPECT_GE(longestRun(p, RGB(0, 0, 255)), (text.right - text.left) * 9 / 10);

  // Without a custom brush the background is the button face.
  label.SetBackgroundFill(RGB(0, 0, 0), RGB(0, 0, 0), TRUE).SetBackgroundFill(RGB(1, 2, 3), 0, TRUE);
  EXPECT_FALSE(label.hasCustomBrush());
  LinkLabel plain;
  LabelHost other;
  ASSERT_TRUE(plain.Attach(other.control()));
  plain.SetLabelText("");
  p = Repaint(other.control());
  EXPECT_EQ(p.Count(GetSysColor(COLOR_BTNFACE)), p.width * p.height) << "empty text: background only";
  EXPECT_EQ(plain.textColor(), GetSysColor(COLOR_WINDOWTEXT));
}

TEST(LinkLabelPaint, EmbossedCopyIsOffsetOnePixel) {
  for (BOOL downRight : {FALSE, TRUE}) {
    LabelHost host;
    LinkLabel label;
    ASSERT_TRUE(label.Attach(host.control()));
    label.SetLabelText("Zemvar")
        .SetBackgroundFill(RGB(255, 255, 255), 0, FALSE)
        .SetForegroundColor(RGB(0, 0, 0))
        .SetEmbossColor(RGB(255, 0, 0))
        .SetEmbossed(TRUE, downRight);
    const Pixels p = Repaint(host.control());
    const RECT copy = p.Bounds(RGB(255, 0, 0));
    const RECT first = p.Bounds(RGB(0, 0, 0));
    ASSERT_GT(copy.right, copy.left);
    ASSERT_GT(first.right, first.left);
    // The copy is drawn last, whole; the first text shows only beside it, one pixel away.
    const int d = downRight ? 1 : -1;
    const RECT all{std::min(copy.left, first.left), std::min(copy.top, first.top),
                   std::max(copy.right, first.right), std::max(copy.bottom, first.bottom)};
    if (downRight) {
      EXPECT_EQ(all.left + d, copy.left);
      EXPECT_EQ(all.top + d, copy.top);
      EXPECT_EQ(all.right, copy.right);
      EXPECT_EQ(all.bottom, copy.bottom);
    } else {
      EXPECT_EQ(all.left, copy.left);
      EXPECT_EQ(all.top, copy.top);
      EXPECT_EQ(all.right + d, copy.right);
      EXPECT_EQ(all.bottom + d, copy.bottom);
    }
  }
}

TEST(LinkLabelPaint, TransparencyShowsTheParentAndLeavesItsStyle) {
  LabelHost host;
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  label.SetLabelText("iiii").SetForegroundColor(RGB(0, 0, 255)).EnableTransparency(TRUE);
  EXPECT_TRUE(GetWindowLongPtrA(host.control(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  Pixels p = Capture(host.control());  // as RedrawLabel left it
  EXPECT_GT(p.Count(RGB(0, 0, 255)), 10);
  EXPECT_EQ(p.Count(RGB(0, 0, 255)) + p.Count(kParentColour), p.width * p.height);

  label.EnableTransparency(FALSE);
  EXPECT_TRUE(GetWindowLongPtrA(host.control(), GWL_EXSTYLE) & WS_EX_TRANSPARENT) << "never removed";
  p = Repaint(host.control());
  EXPECT_EQ(p.Count(kParentColour), 0);
  EXPECT_GT(p.Count(GetSysColor(COLOR_BTNFACE)), p.width * p.height / 2);
}

TEST(LinkLabelPaint, FormatFollowsTheStaticStyle) {
  const char* longText = "wrap wrap wrap wrap wrap wrap wrap wrap wrap wrap";
  auto textBounds = [&](DWORD style, const char* text, int height) {
    LabelHost host(WS_CHILD | WS_VISIBLE | style, 120, height);
    LinkLabel label;
    label.Attach(host.control());
    label.SetLabelText(text).SetForegroundColor(RGB(0, 0, 255));
    return Repaint(host.control()).Bounds(RGB(0, 0, 255));
  };
  const RECT wrapped = textBounds(SS_LEFT, longText, 80);
  const RECT single = textBounds(SS_LEFTNOWORDWRAP, longText, 80);
  EXPECT_GT(wrapped.bottom - wrapped.top, 2 * (single.bottom - single.top));
  EXPECT_EQ(single.top, wrapped.top);

  const RECT centred = textBounds(SS_LEFT | SS_CENTERIMAGE, "ii", 80);
  EXPECT_NEAR((centred.top + centred.bottom) / 2, 40, 4);
  EXPECT_NEAR((centred.left + centred.right) / 2, 60, 4);
  const RECT twoLines = textBounds(SS_LEFT | SS_CENTERIMAGE, "ii\r\nii", 80);
  EXPECT_LT(twoLines.top, 8);
  EXPECT_NEAR((twoLines.left + twoLines.right) / 2, 60, 4);
  const RECT right = textBounds(SS_RIGHT, "ii", 30);
  EXPECT_GT(right.left, 100);
}

TEST(LinkLabelPaint, RotatedTextStartsAtTheCentre) {
  LabelHost host(WS_CHILD | WS_VISIBLE | SS_LEFT, 120, 120);
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  label.SetLabelText("Zemvar").SetForegroundColor(RGB(0, 0, 255)).SetTextAngle(90, TRUE);
  EXPECT_EQ(label.logFont().lfEscapement, 900);
  EXPECT_EQ(label.logFont().lfOrientation, 900);
  RECT text = Repaint(host.control()).Bounds(RGB(0, 0, 255));
  // Upwards from the centre, the glyphs' tops to the left of the baseline.
  EXPECT_LE(text.bottom, 62);
  EXPECT_LT(text.top, 40);
  EXPECT_LE(text.right, 65);
  EXPECT_GT(text.right, 55);

  // Unrotated text from the centre along the baseline: "Zemvar" has no descenders.
  label.SetTextAngle(0, TRUE);
  const RECT level = Repaint(host.control()).Bounds(RGB(0, 0, 255));
  EXPECT_GE(level.left, 60);
  EXPECT_LE(level.left, 62);
  EXPECT_EQ(level.bottom, 60);

  // Not rotated: DrawText from the client rectangle's corner, so the upward run leaves the label.
  label.SetTextAngle(90, FALSE);
  EXPECT_EQ(label.logFont().lfEscapement, 900);
  EXPECT_EQ(Repaint(host.control()).Count(RGB(0, 0, 255)), 0);
  label.SetTextAngle(0, FALSE);
  text = Repaint(host.control()).Bounds(RGB(0, 0, 255));
  EXPECT_LT(text.left, 3);
  EXPECT_LT(text.top, 10);
}

TEST(LinkLabelFont, AttachTakesTheControlsFontAndSettersRebuildIt) {
  LabelHost host;
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  EXPECT_EQ(label.logFont().lfHeight, -16);
  EXPECT_STREQ(label.logFont().lfFaceName, "Tahoma");
  ASSERT_NE(label.font(), nullptr);
  EXPECT_NE(reinterpret_cast<HFONT>(SendMessageA(host.control(), WM_GETFONT, 0, 0)), label.font())
      << "the label keeps a font of its own";

  LinkLabel& chained = label.SetBold(2).SetItalic(TRUE).SetPointSize(24);
  EXPECT_EQ(&chained, &label);
  LOGFONTA built{};
  GetObjectA(label.font(), sizeof(built), &built);
  EXPECT_EQ(built.lfWeight, 700);
  EXPECT_EQ(built.lfItalic, 1);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(built.lfHeight, -MulDiv(24, GetDeviceCaps(screen, LOGPIXELSY), 72));
  ReleaseDC(nullptr, screen);
  label.SetBold(0);
  GetObjectA(label.font(), sizeof(built), &built);
  EXPECT_EQ(built.lfWeight, 400);

  HFONT before = label.font();
  label.SetFaceName(std::string(40, 'x'), GB2312_CHARSET);
  EXPECT_EQ(label.font(), before) << "a face name that cannot exist is refused";
  EXPECT_STREQ(label.logFont().lfFaceName, "Tahoma");
  label.SetFaceName("Courier New", ANSI_CHARSET);
  GetObjectA(label.font(), sizeof(built), &built);
  EXPECT_STREQ(built.lfFaceName, "Courier New");
}

TEST(LinkLabelFont, ControlWithoutAFontStartsFromTheGuiFont) {
  LabelHost host(WS_CHILD | WS_VISIBLE | SS_LEFT, 250, 30, false, false);
  ASSERT_EQ(SendMessageA(host.control(), WM_GETFONT, 0, 0), 0);
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  LOGFONTA gui{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
  EXPECT_STREQ(label.logFont().lfFaceName, gui.lfFaceName);
  EXPECT_EQ(label.logFont().lfHeight, gui.lfHeight);
  EXPECT_NE(label.font(), nullptr);
}

TEST(LinkLabelStyle, EdgesAndBordersChangeTheFrame) {
  LabelHost host;
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  RECT client;
  label.SetThinBorder(TRUE);
  EXPECT_TRUE(GetWindowLongPtrA(host.control(), GWL_STYLE) & WS_BORDER);
  GetClientRect(host.control(), &client);
  EXPECT_EQ(client.right, 248);
  label.SetThinBorder(FALSE).SetStaticEdge(TRUE);
  EXPECT_FALSE(GetWindowLongPtrA(host.control(), GWL_STYLE) & WS_BORDER);
  EXPECT_TRUE(GetWindowLongPtrA(host.control(), GWL_EXSTYLE) & WS_EX_STATICEDGE);
  GetClientRect(host.control(), &client);
  EXPECT_EQ(client.right, 248);
  label.SetStaticEdge(FALSE);
  GetClientRect(host.control(), &client);
  EXPECT_EQ(client.right, 250);
}

TEST(LinkLabelBlink, TextBlinkAlternatesWithTheTimer) {
  LabelHost host;
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  label.SetLabelText("iiii").SetForegroundColor(RGB(0, 0, 255));
  const DWORD start = GetTickCount();
  label.EnableTextBlink(TRUE);
  EXPECT_EQ(label.blinkMode(), BlinkText);
  // Phase starts off: the text is black (no custom brush).
  Pixels p = Repaint(host.control());
  EXPECT_EQ(p.Count(RGB(0, 0, 255)), 0);
  EXPECT_GT(p.Count(RGB(0, 0, 0)), 10);

  // The real timer: each tick repaints in the other colour. Two changes take two half-second ticks at
  // least; a slow machine only makes them later, so the bound is one way.
  int changes = 0;
  bool lastBlue = false;
  while (changes < 2 && GetTickCount() - start < 20000) {
    Pump(40);
    const bool blue = Capture(host.control()).Count(RGB(0, 0, 255)) > 0;
    if (blue != lastBlue) ++changes;
    lastBlue = blue;
  }
  ASSERT_EQ(changes, 2) << "the text did not blink";
  EXPECT_GE(GetTickCount() - start, 950u) << "the text blinks faster than twice a second";

  // A custom background makes the "off" colour that of the background: the text vanishes.
  label.SetBackgroundFill(RGB(255, 255, 0), 0, FALSE);
  label.EnableTextBlink(TRUE);
  p = Repaint(host.control());
  EXPECT_EQ(p.Count(RGB(255, 255, 0)), p.width * p.height);
  label.EnableTextBlink(FALSE);
  EXPECT_EQ(label.blinkMode(), BlinkNone);
  p = Capture(host.control());
  EXPECT_GT(p.Count(RGB(0, 0, 255)), 10) << "stopping shows the steady text at once";
  // A steady label paints alike in either phase, so only the system can tell whether the timer lives.
  EXPECT_FALSE(KillTimer(host.control(), LinkLabel::BLINK_TIMER_ID)) << "the blink timer still runs";
}

TEST(LinkLabelBlink, BackgroundBlinkSwapsBackgroundAndText) {
  LabelHost host;
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  label.SetLabelText("iiii").SetForegroundColor(RGB(0, 0, 255)).SetBackgroundFill(RGB(255, 255, 255), 0, FALSE);
  label.EnableBackgroundBlink(TRUE);
  EXPECT_EQ(label.blinkMode(), BlinkBackground);
  Pixels p = Repaint(host.control());
  const int text = p.Count(RGB(0, 0, 255));
  EXPECT_EQ(text + p.Count(RGB(255, 255, 255)), p.width * p.height);
  SendMessageA(host.control(), WM_TIMER, LinkLabel::BLINK_TIMER_ID, 0);
  p = Capture(host.control());
  EXPECT_EQ(p.Count(RGB(255, 255, 255)), text) << "text now in the background's colour";
  EXPECT_EQ(p.Count(RGB(0, 0, 255)), p.width * p.height - text);
  label.EnableBackgroundBlink(FALSE);
  EXPECT_EQ(label.blinkMode(), BlinkNone);
  EXPECT_EQ(Capture(host.control()).Count(RGB(0, 0, 255)), text) << "steady look at once";

  // Over a gradient the swap uses the gradient's start colour for the text.
  label.SetBackgroundFill(RGB(0, 255, 0), RGB(0, 0, 0), TRUE);
  label.EnableBackgroundBlink(TRUE);
  SendMessageA(host.control(), WM_TIMER, LinkLabel::BLINK_TIMER_ID, 0);
  p = Capture(host.control());
  EXPECT_EQ(p.Count(RGB(0, 255, 0)), text);
  label.EnableBackgroundBlink(FALSE);
}

TEST(LinkLabelSystemColours, BackgroundFollowsButtonFaceTextKeepsItsColour) {
  LabelHost host;
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  label.SetLabelText("iiii");
  const COLORREF text = label.textColor();
  const int element = COLOR_BTNFACE;
  const COLORREF oldFace = GetSysColor(COLOR_BTNFACE);
  const COLORREF newFace = RGB(0, 200, 0);
  ASSERT_TRUE(SetSysColors(1, &element, &newFace));
  SendMessageA(host.control(), WM_SYSCOLORCHANGE, 0, 0);
  const Pixels p = Capture(host.control());
  SetSysColors(1, &element, &oldFace);
  EXPECT_GT(p.Count(newFace), p.width * p.height / 2);
  EXPECT_EQ(label.textColor(), text);
}

TEST(LinkLabelClick, NotifyParentSendsTheLabelsCodeThenStnClicked) {
  LabelHost host;
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  label.SetLabelText("link").SetHyperlink(TRUE, TRUE);
  EXPECT_TRUE(GetWindowLongPtrA(host.control(), GWL_STYLE) & SS_NOTIFY);
  g_events.clear();
  SendMessageA(host.control(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(host.control(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_GE(g_events.size(), 2u);
  EXPECT_EQ(g_events[0].message, static_cast<UINT>(WM_NOTIFY));
  EXPECT_EQ(g_events[0].code, 0x8200u);
  EXPECT_EQ(g_events[0].id, static_cast<UINT_PTR>(kLabelId));
  EXPECT_EQ(g_events[0].from, host.control());
  EXPECT_EQ(g_events[1].message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(g_events[1].code, static_cast<UINT>(STN_CLICKED));
  EXPECT_EQ(g_events[1].id, static_cast<UINT_PTR>(kLabelId));
  EXPECT_EQ(g_events.size(), 2u);
}

// A URL scheme of the test's own, registered in the classes root, whose handler writes what it
// was given into a file: proof that the shell opened the label's text.
class SchemeRecorder {
 public:
  SchemeRecorder(const char* scheme, const std::string& marker) : scheme_(scheme) {
    const std::string key = scheme_;
    const std::string command = "C:\\windows\\system32\\cmd.exe /c echo %1>\"" + marker + "\"";
    SetValue(key, nullptr, "URL:test");
    SetValue(key, "URL Protocol", "");
    SetValue(key + "\\shell\\open\\command", nullptr, command);
  }
  ~SchemeRecorder() {
    const std::string key = scheme_;
    for (const char* sub : {"\\shell\\open\\command", "\\shell\\open", "\\shell", ""})
      RegDeleteKeyA(HKEY_CLASSES_ROOT, (key + sub).c_str());
  }

 private:
  static void SetValue(const std::string& key, const char* name, const std::string& value) {
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr))
      return;
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
  }

  std::string scheme_;
};

std::string TempPath(const char* name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

TEST(LinkLabelClick, WithoutNotifyParentTheShellOpensTheText) {
  const std::string marker = TempPath("zemvar_label_open.txt");
  DeleteFileA(marker.c_str());
  SchemeRecorder recorder("zemvarlabeltest", marker);
  LabelHost host;
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  label.SetLabelText("zemvarlabeltest:hello").SetHyperlink(TRUE, FALSE);
  g_events.clear();
  SendMessageA(host.control(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  ASSERT_EQ(g_events.size(), 1u);
  EXPECT_EQ(g_events[0].message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(g_events[0].code, static_cast<UINT>(STN_CLICKED));
  EXPECT_NE(ReadWhenWritten(marker, 10000).find("zemvarlabeltest:hello"), std::string::npos);
  DeleteFileA(marker.c_str());
}

LONG g_releasesTaken;

LRESULT CALLBACK CountReleases(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && (wParam == WM_LBUTTONUP || wParam == WM_NCLBUTTONUP)) ++g_releasesTaken;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Real mouse input, through the window system's hit-testing. True once the button's release has been
// taken from this thread's queue and dispatched, whichever window it went to: by then the press has
// had all its effects.
bool ClickAt(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT input[3] = {};
  for (INPUT& i : input) i.type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  HHOOK hook = SetWindowsHookExA(WH_MOUSE, CountReleases, nullptr, GetCurrentThreadId());
  g_releasesTaken = 0;
  SendInput(3, input, sizeof(INPUT));
  const bool taken = PumpUntil([] { return g_releasesTaken > 0; }, 20000);
  UnhookWindowsHookEx(hook);
  return taken;
}

TEST(LinkLabelClick, MouseReachesTheLabelOnlyWithSsNotify) {
  LabelHost host;
  LinkLabel label;
  ASSERT_TRUE(label.Attach(host.control()));
  HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
  label.SetLabelText("link").SetHoverCursor(hand).SetHyperlink(FALSE, TRUE);
  EXPECT_EQ(SendMessageA(host.control(), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
  g_events.clear();
  ASSERT_TRUE(ClickAt(host.control())) << "the click never arrived";
  EXPECT_TRUE(g_events.empty());
  EXPECT_NE(GetCursor(), hand);

  label.SetHyperlink(TRUE, TRUE);
  EXPECT_EQ(SendMessageA(host.control(), WM_NCHITTEST, 0, 0), HTCLIENT);
  g_events.clear();
  ASSERT_TRUE(ClickAt(host.control())) << "the click never arrived";
  ASSERT_GE(g_events.size(), 2u);
  EXPECT_EQ(g_events[0].code, 0x8200u);
  EXPECT_EQ(g_events[1].code, static_cast<UINT>(STN_CLICKED));
  EXPECT_EQ(GetCursor(), hand);

  // The hover cursor answers WM_SETCURSOR; without one the static's own handling runs.
  SetCursor(nullptr);
  EXPECT_EQ(SendMessageA(host.control(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.control()),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);
  EXPECT_EQ(GetCursor(), hand);
  label.SetHoverCursor(nullptr);
  SetCursor(nullptr);
  SendMessageA(host.control(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.control()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(GetCursor(), hand);
}

TEST(LinkLabelLifetime, LabelGoneBeforeItsWindowStopsTheTimer) {
  LabelHost host;
  {
    LinkLabel label;
    ASSERT_TRUE(label.Attach(host.control()));
    label.EnableTextBlink(TRUE);
  }
  // The static has its own procedure back and no timer ticks into a label that is gone.
  EXPECT_EQ(GetWindowLongPtrA(host.control(), GWLP_USERDATA), 0);
  EXPECT_FALSE(KillTimer(host.control(), LinkLabel::BLINK_TIMER_ID)) << "the blink timer outlived the label";
}

}  // namespace
}  // namespace zemvar
