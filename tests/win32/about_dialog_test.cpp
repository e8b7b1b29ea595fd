// The About box from the program's own resources: its template, its link and how it ends.
#include <windows.h>

#include <gtest/gtest.h>

#include "message_pump.h"

#include <cctype>
#include <algorithm>
#include <string>
#include <vector>

#include "about/about_box.h"
#include "about/about_rules.h"
#include "about/win32_about_dialog.h"
#include "resource.h"
#include "version.h"

namespace zemvar {
namespace {

using zemvar::testing::Pump;
using zemvar::testing::ReadWhenWritten;

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
  return out;
}

// Reads a classic dialog template field by field.
class TemplateReader {
 public:
  explicit TemplateReader(const WORD* data) : at_(data), start_(data) {}
  WORD Word() { return *at_++; }
  DWORD Dword() {
    const DWORD low = Word();
    return low | static_cast<DWORD>(Word()) << 16;
  }
  short Short() { return static_cast<short>(Word()); }
  // A string, or 0xFFFF and an ordinal, which is given back as "#n".
  std::string NameOrOrdinal() {
    if (*at_ == 0xFFFF) {
      ++at_;
      return "#" + std::to_string(Word());
    }
    std::wstring text;
    while (*at_) text.push_back(static_cast<wchar_t>(*at_++));
    ++at_;
    return Utf8(text);
  }
  void AlignDword() {
    if ((at_ - start_) % 2) ++at_;
  }

 private:
  const WORD* at_;
  const WORD* start_;
};

struct Item {
  int id;
  std::string cls;
  DWORD style;
  short x, y, cx, cy;
  std::string text;
};

TEST(AboutTemplate, IsTheClassicLayoutWithItsExactTexts) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_ABOUT), MAKEINTRESOURCEA(5));
  ASSERT_NE(found, nullptr);
  const auto* data = static_cast<const WORD*>(LockResource(LoadResource(nullptr, found)));
  ASSERT_NE(data, nullptr);
  ASSERT_FALSE(data[0] == 1 && data[1] == 0xFFFF) << "an extended template";
  TemplateReader r(data);
  EXPECT_EQ(r.Dword(), 0x80C800C0u);
  EXPECT_EQ(r.Dword(), 0u);
  const WORD count = r.Word();
  ASSERT_EQ(count, 16);
  EXPECT_EQ(r.Short(), 0);
  EXPECT_EQ(r.Short(), 0);
  EXPECT_EQ(r.Short(), 400);
  EXPECT_EQ(r.Short(), 203);
  EXPECT_EQ(r.NameOrOrdinal(), "");  // no menu
  EXPECT_EQ(r.NameOrOrdinal(), "");  // the standard dialog class
  EXPECT_EQ(r.NameOrOrdinal(), u8"关于 Zemvar");
  EXPECT_EQ(r.Word(), 9);
  EXPECT_EQ(r.NameOrOrdinal(), u8"宋体");

  const DWORD kStatic = 0x50020000;
  const std::vector<Item> expected = {
      {0xFFFF, "#130", 0x50000003, 7, 7, 20, 20, "#128"},
      {0xFFFF, "#130", 0x50020080, 35, 15, 249, 8, u8"“G3随e行”Tessaline " ZEMVAR_VERSION_TEXT u8" 版"},
      {0xFFFF, "#130", kStatic, 9, 37, 384, 8, u8"·“G3随e行”没有自动连接网络的功能，需要手动点击“自动连接”按钮。"},
      {1, "#128", 0x50030001, 343, 182, 50, 14, u8"确定"},
      {0xFFFF, "#130", kStatic, 9, 50, 384, 8,
       u8"  使用3G无线网卡上网的电脑设备，如果需要开机后自动连接到网络，或在网络意外断开后能自动尝试重新"},
      {0xFFFF, "#130", kStatic, 9, 64, 384, 8, u8"  建立连接，请使用Zemvar。"},
      {0xFFFF, "#130", kStatic, 9, 82, 384, 8, u8"·Zemvar为绿色软件，无需安装。"},
      {0xFFFF, "#130", kStatic, 9, 98, 384, 8,
       u8"·Zemvar运行时会最小化到系统托盘。第一次使用时，请点击其\"设置\"菜单项，根据实际需要做必要的设置："},
      {0xFFFF, "#130", kStatic, 9, 110, 384, 8, u8"  1、是否开机自动运行；"},
      {0xFFFF, "#130", kStatic, 9, 121, 384, 8, u8"  2、如断线，每隔多少秒尝试重连。"},
      {0xFFFF, "#130", kStatic, 9, 137, 384, 8,
       u8"·Zemvar针对“G3随e行(版本3.2.1.16)”。一般来说，不能控制其它版本的“G3随e行”。"},
      {0xFFFF, "#130", kStatic, 9, 154, 384, 8, ""},
      {0xFFFF, "#130", kStatic, 9, 164, 384, 8, ""},
      {0xFFFF, "#130", kStatic, 9, 176, 260, 8, ""},
      {0xFFFF, "#130", kStatic, 9, 188, 61, 8, ""},
      {IDC_EMAIL_LINK, "#130", kStatic, 76, 188, 186, 8, ZEMVAR_AUTHOR_EMAIL},
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("control " + std::to_string(i + 1));
    r.AlignDword();
    const Item& want = expected[i];
    EXPECT_EQ(r.Dword(), want.style);
    EXPECT_EQ(r.Dword(), 0u);
    EXPECT_EQ(r.Short(), want.x);
    EXPECT_EQ(r.Short(), want.y);
    EXPECT_EQ(r.Short(), want.cx);
    EXPECT_EQ(r.Short(), want.cy);
    EXPECT_EQ(r.Word(), want.id);
    EXPECT_EQ(r.NameOrOrdinal(), want.cls);
    const std::string text = r.NameOrOrdinal();
    // Rows 12 to 15 are our own words: present, and the contact label is short enough to fit.
    if (want.text.empty()) {
      EXPECT_FALSE(text.empty());
    } else {
      EXPECT_EQ(text, want.text);
    }
    EXPECT_EQ(r.Word(), 0) << "no creation data";
  }
}

// Sets HKCR\mailto's open command for the test's life, so a click is seen without a mail program.
class MailtoRecorder {
 public:
  explicit MailtoRecorder(const std::string& marker) {
    RegCreateKeyExA(HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    char old[1024] = {};
    DWORD size = sizeof old - 1;
    hadValue_ = RegQueryValueExA(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == 0;
    old_ = old;
    const std::string command = "C:\\windows\\system32\\cmd.exe /c echo %1>\"" + marker + "\"";
    RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
  }
  ~MailtoRecorder() {
    if (hadValue_) {
      RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                     static_cast<DWORD>(old_.size() + 1));
    } else {
      RegDeleteValueA(key_, nullptr);
    }
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  bool hadValue_ = false;
  std::string old_;
};

TEST(AboutDialog, LinkIsBlueUnderlinedWithTheHandAndOpensAMailMessage) {
  AboutDialog dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  ShowWindow(dialog.hwnd(), SW_SHOWNOACTIVATE);
  UpdateWindow(dialog.hwnd());
  char caption[64] = {};
  GetWindowTextA(dialog.hwnd(), caption, sizeof caption);
  EXPECT_STREQ(caption, "关于 Zemvar");

  HWND link = GetDlgItem(dialog.hwnd(), IDC_EMAIL_LINK);
  ASSERT_EQ(dialog.emailLink().hwnd(), link);
  char text[64] = {};
  GetWindowTextA(link, text, sizeof text);
  EXPECT_STREQ(text, ZEMVAR_AUTHOR_EMAIL);
  EXPECT_EQ(dialog.emailLink().textColor(), RGB(0, 0, 255));
  EXPECT_EQ(dialog.emailLink().logFont().lfUnderline, 1);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(dialog.emailLink().logFont().lfHeight, -MulDiv(9, dpi, 72)) << "the template's 9 point font";

  // Of all the statics only the link takes the mouse.
  int takesMouse = 0;
  for (HWND child = GetWindow(dialog.hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[16] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0) continue;
    if (SendMessageA(child, WM_NCHITTEST, 0, 0) != HTTRANSPARENT) {
      ++takesMouse;
      EXPECT_EQ(child, link);
    }
  }
  EXPECT_EQ(takesMouse, 1);

  HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_CURSOR));
  ASSERT_NE(hand, nullptr);
  SetCursor(nullptr);
  SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), hand);

  // Blue text on the button face, read back from the screen.
  RECT area;
  GetClientRect(link, &area);
  HDC dc = GetDC(link);
  int blue = 0, face = 0, right = -1, bottom = -1, underline = 0;
  for (int y = 0; y < area.bottom; ++y)
    for (int x = 0; x < area.right; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      if (c == RGB(0, 0, 255)) ++blue, right = std::max(right, x), bottom = std::max(bottom, y);
      face += c == GetSysColor(COLOR_BTNFACE);
    }
  for (int x = 0; x <= right; ++x) underline += GetPixel(dc, x, bottom) == RGB(0, 0, 255);
  ReleaseDC(link, dc);
  EXPECT_GT(blue, 20);
  EXPECT_GT(face, area.right * area.bottom / 2);
  // At any dpi the address fits the width of the label that takes its clicks, underlined all along.
  EXPECT_LT(right, area.right - 1);
  EXPECT_GT(underline, right * 9 / 10);

  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  const std::string marker = std::string(dir) + "zemvar_mailto.txt";
  DeleteFileA(marker.c_str());
  {
    MailtoRecorder recorder(marker);
    SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    // The address opened is the one the box shows.
    std::string opened = ReadWhenWritten(marker, 10000);
    while (!opened.empty() && std::isspace(static_cast<unsigned char>(opened.back()))) opened.pop_back();
    EXPECT_EQ(opened, "mailto:" + std::string(text));
  }
  DeleteFileA(marker.c_str());
  EXPECT_TRUE(IsWindow(dialog.hwnd()));
}

// The About box run modally from an owner, ended in each of the ways a person ends it.
struct ModalRun {
  HWND owner;
  int how;
  bool ownerWasDisabled = false;
  bool found = false;
};
ModalRun* g_run;

HWND FindAbout() {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, "#32770", "关于 Zemvar")))
    if (GetWindow(window, GW_OWNER) == g_run->owner) return window;
  return nullptr;
}

void CALLBACK EndAbout(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND about = FindAbout();
  if (!about) return;
  KillTimer(nullptr, timer);
  g_run->found = true;
  g_run->ownerWasDisabled = !IsWindowEnabled(g_run->owner);
  switch (g_run->how) {
    case 0:
      PostMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
      break;
    case 1:
      // Through the dialog keyboard, as a key press arrives.
      PostMessageA(GetFocus() ? GetFocus() : about, WM_KEYDOWN, VK_ESCAPE, 0);
      break;
    default:
      PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
  }
}

TEST(AboutDialog, OpensModallyAndEndsWithOkEscapeOrClose) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (int how = 0; how < 3; ++how) {
    SCOPED_TRACE(how);
    ModalRun run{owner, how};
    g_run = &run;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, EndAbout);
    const DWORD start = GetTickCount();
    ShowAboutBox(owner);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(run.found);
    EXPECT_TRUE(run.ownerWasDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(FindAbout(), nullptr);
    EXPECT_LT(GetTickCount() - start, 5000u);
  }
  DestroyWindow(owner);
}

}  // namespace
}  // namespace zemvar
