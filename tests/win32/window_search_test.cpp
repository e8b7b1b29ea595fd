// The window search and the prompt pass against real windows: owners, client rectangles, long and
// Chinese titles, and clicks that reach real buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include "message_pump.h"

#include <functional>
#include <string>
#include <vector>

#include "dialer/dialer_prompts.h"
#include "dialer/dialer_texts.h"
#include "dialer/dialer_windows.h"
#include "dialer/win32_desktop.h"
#include "platform/win32_text.h"

namespace zemvar {
namespace {

using zemvar::testing::PumpUntil;

struct Command {
  HWND dialog;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Command> commands;

INT_PTR CALLBACK RecordingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    commands.push_back({dialog, wParam, lParam});
    return TRUE;
  }
  return FALSE;
}

// A real "#32770" dialog with caption and border, sized in pixels; its controls are added by the test.
HWND CreateBox(const char* title, HWND owner, int x, int y, int width, int height) {
  struct alignas(4) EmptyTemplate {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
  } t{};
  t.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  HWND box = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), &t.dialog, owner, RecordingDialogProc, 0);
  if (box) {
    ::SetWindowTextA(box, title);
    ::SetWindowPos(box, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return box;
}

HWND AddControl(HWND parent, const char* className, const char* text, int x, int y, int width, int height,
                int id = 0, DWORD style = 0) {
  return ::CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
}

class Win32WindowSearch : public ::testing::Test {
 protected:
  void SetUp() override { commands.clear(); }
  void TearDown() override {
    for (auto it = created.rbegin(); it != created.rend(); ++it) ::DestroyWindow(*it);
    dialerMainWindow = 0;
  }
  HWND Box(const char* title, HWND owner = nullptr, int x = 100, int y = 80, int width = 420, int height = 300) {
    HWND box = CreateBox(title, owner, x, y, width, height);
    EXPECT_NE(nullptr, box);
    created.push_back(box);
    return box;
  }

  WindowId Top(const char* className, const char* titleA, const char* titleB = nullptr, HWND parent = nullptr) {
    WindowCriteria c;
    c.className = className;
    c.titleA = titleA;
    c.titleB = titleB;
    c.parent = ToWindowId(parent);
    SearchTopLevel(desktop, MatchTopLevel, c);
    return c.found;
  }

  Win32Desktop desktop;
  std::vector<HWND> created;
};

TEST_F(Win32WindowSearch, ParentIsTheOwnerOfAPopupAndTheParentOfAChild) {
  HWND owner = Box("Zemvar owner");
  HWND owned = Box("Zemvar owned prompt", owner);
  HWND stranger = Box("Zemvar owned prompt");
  HWND child = AddControl(owned, "Button", "OK", 10, 10, 75, 23);
  HWND plain = ::CreateWindowExA(0, "Static", "Zemvar owned prompt", WS_OVERLAPPED, 0, 0, 50, 50, owner, nullptr,
                                 nullptr, nullptr);
  created.push_back(plain);
  EXPECT_EQ(ToWindowId(owner), desktop.Parent(ToWindowId(owned)));
  EXPECT_EQ(ToWindowId(owned), desktop.Parent(ToWindowId(child)));
  EXPECT_EQ(0u, desktop.Parent(ToWindowId(plain)));  // owned, but not a pop-up
  EXPECT_EQ(0u, desktop.Parent(ToWindowId(stranger)));
  EXPECT_EQ(0u, desktop.Parent(0));

  EXPECT_EQ(ToWindowId(owned), Top("#32770", "Zemvar owned prompt", nullptr, owner));
  EXPECT_EQ(0u, Top("Static", "Zemvar owned prompt", nullptr, owner));
}

TEST_F(Win32WindowSearch, PointTestUsesTheParentsClientArea) {
  HWND box = Box("Zemvar edges", nullptr, 150, 120, 420, 300);
  HWND button = AddControl(box, "Button", "OK", 50, 40, 100, 20);
  RECT window;
  POINT client{0, 0};
  ::GetWindowRect(box, &window);
  ::ClientToScreen(box, &client);
  ASSERT_NE(window.left, client.x);  // a caption and border move the client area
  ASSERT_NE(window.top, client.y);

  const WindowId b = ToWindowId(box);
  EXPECT_EQ(ToWindowId(button), FindChildAt(desktop, b, "Button", 50, 40));
  EXPECT_EQ(ToWindowId(button), FindChildAt(desktop, b, "Button", 149, 59));
  EXPECT_EQ(0u, FindChildAt(desktop, b, "Button", 150, 45));
  EXPECT_EQ(0u, FindChildAt(desktop, b, "Button", 100, 60));
  EXPECT_EQ(0u, FindChildAt(desktop, b, "Button", 49, 59));
  EXPECT_EQ(0u, FindChildAt(desktop, b, "button", 60, 45));  // classes are exact

  // A control inside a group box belongs to the group box, not to the dialog.
  HWND group = AddControl(box, "Button", "group", 10, 100, 300, 150, 0, BS_GROUPBOX);
  HWND inner = AddControl(group, "Static", "inner", 20, 30, 100, 20);
  EXPECT_EQ(0u, FindChildAt(desktop, b, "Static", 40, 140));
  EXPECT_EQ(ToWindowId(inner), FindChildAt(desktop, ToWindowId(group), "Static", 20, 30));
}

TEST_F(Win32WindowSearch, LongTitlesAreCutBeforeComparing) {
  std::string title(300, ' ');
  for (std::size_t i = 0; i < title.size(); ++i) title[i] = static_cast<char>('a' + i % 26);
  title.replace(0, 7, "Zemvar-");
  Box(title.c_str());
  char text[kWindowTextBuffer];
  ASSERT_EQ(254, desktop.Text(Top("#32770", title.substr(0, 254).c_str()), text, kWindowTextLimit));
  EXPECT_EQ(0u, Top("#32770", title.c_str()));
  EXPECT_EQ(0u, Top("#32770", title.substr(0, 255).c_str()));

  // A Unicode window's text on any code page: '?' for a character GBK lacks, then whole characters only.
  title = "?";
  for (int i = 0; i < 300; ++i) title += "随";
  WideText wide = WideFromGbk(title);
  wide[0] = L'한';
  created.push_back(::CreateWindowExW(0, L"Static", wide.data(), 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
  ASSERT_EQ(253, desktop.Text(ToWindowId(created.back()), text, kWindowTextLimit));
  EXPECT_EQ(title.substr(0, 253), text);
}

TEST_F(Win32WindowSearch, ChineseTitlesMatchAsGbk) {
  ASSERT_EQ(936u, ::GetACP());
  HWND dialer = Box(dialer::kTitleZh);
  HWND box = Box(dialer::kPromptTitleZh, dialer);
  AddControl(box, "Static", dialer::kDetectingZh, 10, 10, 200, 20);
  char text[kWindowTextBuffer];
  ASSERT_EQ(7, desktop.Text(ToWindowId(dialer), text, kWindowTextLimit));
  EXPECT_STREQ("\x47\x33\xcb\xe6\x65\xd0\xd0", text);  // "G3随e行" in GBK

  EXPECT_EQ(ToWindowId(dialer), Top("#32770", "g3随E行"));
  EXPECT_EQ(ToWindowId(box), FindDialerBox(desktop, nullptr, nullptr, ToWindowId(dialer), dialer::kDetectingZh,
                                           dialer::kDetectingEn));
  // Two GBK characters whose trail bytes are 'a' and 'A' differ.
  Box("Zemvar\x81\x61");
  EXPECT_EQ(0u, Top("#32770", "Zemvar\x81\x41"));
  EXPECT_NE(0u, Top("#32770", "zemvar\x81\x61"));
}

TEST_F(Win32WindowSearch, ClickReachesARealButton) {
  HWND box = Box(dialer::kPromptTitleZh, nullptr, 200, 150, 320, 140);
  AddControl(box, "Static", dialer::kNoDeviceZh, 16, 14, 288, 24);
  AddControl(box, "Button", "Cancel", 160, 49, 75, 23, IDCANCEL);
  AddControl(box, "Button", "OK", 83, 49, 75, 23, IDOK);  // over (120, 60)
  ::ShowWindow(box, SW_SHOWNOACTIVATE);

  const WindowId found =
      FindDialerBox(desktop, dialer::kPromptTitleZh, dialer::kPromptTitleEn, 0, dialer::kNoDeviceZh, dialer::kNoDeviceEn);
  ASSERT_EQ(ToWindowId(box), found);
  ASSERT_EQ(Press::Pressed, ClickButtonAt(desktop, found, dialer::kNoDeviceButtonX, dialer::kNoDeviceButtonY));
  PumpUntil([] { return !commands.empty(); });
  ASSERT_EQ(1u, commands.size());
  EXPECT_EQ(box, commands[0].dialog);
  EXPECT_EQ(MAKEWPARAM(IDOK, BN_CLICKED), commands[0].wParam);

  // A window that has gone fails the post, which is no refusal: only "access denied" is one.
  ::DestroyWindow(box);
  EXPECT_EQ(PostResult::Failed, desktop.Post(found, kMsgLButtonDown, 0, 0));
}

TEST_F(Win32WindowSearch, PromptPassAnswersRealBoxesAndCommandsTheMainWindow) {
  HWND main = Box(dialer::kTitleEn, nullptr, 60, 60, 420, 340);
  HWND prompt = Box(dialer::kNetworkPromptTitleZh, main, 200, 150, 320, 160);
  AddControl(prompt, "Static", "?", 16, 14, 288, 24);
  AddControl(prompt, "Button", "Yes", 20, 100, 75, 23, IDYES);  // none at (180, 110): the first button
  HWND foreign = Box(dialer::kNetworkPromptTitleEn, nullptr, 220, 170, 320, 160);
  AddControl(foreign, "Button", "OK", 143, 99, 75, 23, IDOK);

  dialerMainWindow = ToWindowId(main);
  Win32Pauses pauses;
  EXPECT_EQ(StatusOk, HandleDialerPrompts(desktop, pauses));
  PumpUntil([] { return !commands.empty(); });
  ASSERT_EQ(1u, commands.size());
  EXPECT_EQ(prompt, commands[0].dialog);
  EXPECT_EQ(MAKEWPARAM(IDYES, BN_CLICKED), commands[0].wParam);

  ::DestroyWindow(prompt);
  commands.clear();
  EXPECT_EQ(StatusOk, HandleDialerPrompts(desktop, pauses));
  PumpUntil([] { return !commands.empty(); });
  ASSERT_EQ(1u, commands.size());
  EXPECT_EQ(main, commands[0].dialog);
  EXPECT_EQ(DIALER_CONNECT_COMMAND, commands[0].wParam);
  EXPECT_EQ(0, commands[0].lParam);

  ::DestroyWindow(main);
  EXPECT_EQ(StatusNoMainWindow, HandleDialerPrompts(desktop, pauses));
}

}  // namespace
}  // namespace zemvar
