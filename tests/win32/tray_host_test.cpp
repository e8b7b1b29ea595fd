// The tray host against real windows under Wine: its resources, the icon it shows, its timer, the
// settings window, and exit while a check runs.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "message_pump.h"

#include "dialer/check_cycle.h"

#include "platform/win32_text.h"
#include "resource.h"
#include "settings/win32_settings_store.h"
#include "tray/win32_event_log.h"
#include "tray/win32_tray_host.h"

namespace zemvar {
namespace {

using zemvar::testing::Pump;
using zemvar::testing::PumpUntil;

// ---- resources ----

const BYTE* Resource(LPCSTR type, int id, DWORD* size) {
  HRSRC found = FindResourceExA(nullptr, type, MAKEINTRESOURCEA(id), MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
  if (!found) return nullptr;
  *size = SizeofResource(nullptr, found);
  return static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
}

struct Reader {
  const BYTE* p;
  WORD Word() { WORD v; std::memcpy(&v, p, 2); p += 2; return v; }
  DWORD Dword() { DWORD v; std::memcpy(&v, p, 4); p += 4; return v; }
  std::wstring Text() {
    std::wstring s;
    for (WORD c; (c = Word()) != 0;) s += static_cast<wchar_t>(c);
    return s;
  }
  // A class or menu field: an ordinal (0xFFFF, n) or a string.
  std::wstring Field() {
    WORD first;
    std::memcpy(&first, p, 2);
    if (first == 0xFFFF) { p += 2; return L"#" + std::to_wstring(Word()); }
    return Text();
  }
  void AlignDword(const BYTE* base) { while ((p - base) % 4) ++p; }
};

TEST(HostResources, DialogTemplateIsExactlyAsDesigned) {
  DWORD size = 0;
  const BYTE* base = Resource(RT_DIALOG, IDD_HOST, &size);
  ASSERT_NE(nullptr, base);
  Reader r{base};
  EXPECT_EQ(1, r.Word());       // extended template
  EXPECT_EQ(0xFFFF, r.Word());
  EXPECT_EQ(0u, r.Dword());     // help id
  EXPECT_EQ(0x00040000u, r.Dword());
  EXPECT_EQ(0x80C800C0u, r.Dword());
  EXPECT_EQ(6, r.Word());
  EXPECT_EQ(0, r.Word()); EXPECT_EQ(0, r.Word()); EXPECT_EQ(231, r.Word()); EXPECT_EQ(73, r.Word());
  EXPECT_EQ(L"", r.Field());    // no menu
  EXPECT_EQ(L"", r.Field());    // standard dialog class
  EXPECT_EQ(L"G3随e行 Tessaline", r.Text());
  EXPECT_EQ(9, r.Word());
  EXPECT_EQ(0, r.Word());       // weight
  EXPECT_EQ(0, *r.p++);         // italic
  EXPECT_EQ(1, *r.p++);         // character set
  EXPECT_EQ(L"宋体", r.Text());

  struct Item { int id; const wchar_t* cls; DWORD style; int x, y, w, h; const wchar_t* text; };
  const Item items[] = {
      {1000, L"#128", 0x50010003, 7, 7, 152, 10, L"开机自动运行"},
      {1001, L"#129", 0x50812080, 17, 25, 40, 14, L""},
      {-1, L"#130", 0x50020000, 59, 29, 130, 8, L"秒检查网络连接，如断开则尝试重连"},
      {1002, L"#128", 0x50010001, 111, 52, 50, 14, L"确定"},
      {1003, L"#128", 0x50010000, 174, 52, 50, 14, L"取消"},
      {-1, L"#130", 0x50020000, 7, 29, 9, 8, L"每"},
  };
  for (const Item& item : items) {
    r.AlignDword(base);
    EXPECT_EQ(0u, r.Dword()) << item.id;  // help id
    EXPECT_EQ(0u, r.Dword()) << item.id;  // extended style
    EXPECT_EQ(item.style, r.Dword()) << item.id;
    EXPECT_EQ(item.x, static_cast<short>(r.Word()));
    EXPECT_EQ(item.y, static_cast<short>(r.Word()));
    EXPECT_EQ(item.w, static_cast<short>(r.Word()));
    EXPECT_EQ(item.h, static_cast<short>(r.Word()));
    EXPECT_EQ(item.id, static_cast<int>(r.Dword()));
    EXPECT_EQ(item.cls, r.Field()) << item.id;
    EXPECT_EQ(item.text, r.Field()) << item.id;
    EXPECT_EQ(0, r.Word());  // no creation data
  }
  EXPECT_LE(static_cast<DWORD>(r.p - base), size);
}

TEST(HostResources, MenuStringsIconsCursorVersionAndManifest) {
  HMODULE self = GetModuleHandleA(nullptr);
  HMENU menu = LoadMenuA(self, MAKEINTRESOURCEA(IDR_TRAY_MENU));
  ASSERT_NE(nullptr, menu);
  ASSERT_EQ(1, GetMenuItemCount(menu));
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_EQ(5, GetMenuItemCount(popup));
  const UINT ids[] = {ID_TRAY_SETTINGS, 0, ID_TRAY_ABOUT, 0, ID_TRAY_EXIT};
  const char* texts[] = {"设置(&C)", nullptr, "关于(&A)", nullptr, "退出(&E)"};
  for (int i = 0; i < 5; ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID;
    ASSERT_TRUE(GetMenuItemInfoA(popup, i, TRUE, &info));
    if (!texts[i]) {
      EXPECT_TRUE(info.fType & MFT_SEPARATOR) << i;
      continue;
    }
    EXPECT_EQ(ids[i], info.wID);
    char text[64] = {};
    GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(texts[i], text);
  }
  DestroyMenu(menu);

  char text[64];
  const std::pair<int, const char*> strings[] = {
      {IDS_ABOUT_ITEM, "关于 Zemvar(&A)..."}, {ID_TRAY_SETTINGS, "\n设置"}, {ID_TRAY_ABOUT, "\n关于"}, {ID_TRAY_EXIT, "\n退出"}};
  for (auto [id, expected] : strings) {
    ASSERT_GT(LoadStringA(self, id, text, sizeof text), 0) << id;
    EXPECT_STREQ(expected, text);
  }

  // Each icon group: the standard and small sizes, and those 125, 150 and 200 % ask for, in 16 colours.
  for (int id : {IDI_STATUS_NORMAL, IDI_STATUS_ALERT}) {
    DWORD size = 0;
    const BYTE* group = Resource(RT_GROUP_ICON, id, &size);
    ASSERT_NE(nullptr, group) << id;
    ASSERT_EQ(5, reinterpret_cast<const WORD*>(group)[2]);
    std::vector<int> sizes;
    for (int i = 0; i < 5; ++i) {
      const BYTE* entry = group + 6 + 14 * i;
      sizes.push_back(entry[0]);
      EXPECT_EQ(16, entry[2]);
      EXPECT_EQ(4, entry[6]);  // bits per pixel
    }
    EXPECT_EQ((std::vector<int>{32, 16, 48, 24, 20}), sizes);
  }
  EXPECT_NE(LoadIconA(self, MAKEINTRESOURCEA(IDI_STATUS_NORMAL)), LoadIconA(self, MAKEINTRESOURCEA(IDI_STATUS_ALERT)));

  HCURSOR hand = LoadCursorA(self, MAKEINTRESOURCEA(IDC_LINK_CURSOR));
  ASSERT_NE(nullptr, hand);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_EQ(6u, info.xHotspot);
  EXPECT_EQ(0u, info.yHotspot);
  EXPECT_EQ(nullptr, info.hbmColor);  // monochrome
  BITMAP mask = {};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(32, mask.bmWidth);
  EXPECT_EQ(64, mask.bmHeight);  // AND and XOR halves
  DeleteObject(info.hbmMask);

  EXPECT_NE(nullptr, FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16)));
  EXPECT_NE(nullptr, FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)));
}

// ---- the host ----

int IconWidth(HICON icon) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return 0;
  BITMAP mask = {};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return mask.bmWidth;
}

struct NotifyCall {
  HWND window;
  DWORD message;
  DWORD size;
  UINT id;
  UINT flags;
  UINT callback;
  HICON icon;
  std::string tip;
};
std::vector<NotifyCall> notifications;

// The shell as the host sees it: the icons it holds, by window and id, and whether it takes any now (at
// logon the taskbar may not be ready: an add then times out).
struct Shell {
  bool ready = true;
  std::vector<std::pair<HWND, UINT>> icons;
  bool Holds(HWND window, UINT id) const {
    for (auto& icon : icons) {
      if (icon.first == window && icon.second == id) return true;
    }
    return false;
  }
} shell;

BOOL WINAPI RecordNotify(DWORD message, PNOTIFYICONDATAW data) {
  notifications.push_back({data->hWnd, message, data->cbSize, data->uID, data->uFlags, data->uCallbackMessage,
                           data->hIcon, GbkFromWide(data->szTip, std::wcslen(data->szTip), 255)});
  const bool held = shell.Holds(data->hWnd, data->uID);
  const bool done = shell.ready && (message == NIM_ADD ? !held : held);
  if (!done) {
    SetLastError(ERROR_TIMEOUT);
    return FALSE;
  }
  if (message == NIM_ADD) shell.icons.push_back({data->hWnd, data->uID});
  if (message == NIM_DELETE) shell.icons.clear();
  return TRUE;
}

std::vector<std::pair<HWND, UINT>> allowed;
BOOL WINAPI RecordAllow(HWND window, UINT message) {
  allowed.push_back({window, message});
  return TRUE;
}
BOOL WINAPI RefuseAllow(HWND, UINT) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

DWORD ticks = 0;
DWORD WINAPI FakeTicks() { return ticks; }

struct TimerCall {
  bool kill;
  UINT_PTR id;
  UINT ms;
};
std::vector<TimerCall> timerCalls;

UINT_PTR WINAPI RecordSetTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC proc) {
  timerCalls.push_back({false, id, ms});
  return SetTimer(window, id, ms, proc);
}
BOOL WINAPI RecordKillTimer(HWND window, UINT_PTR id) {
  timerCalls.push_back({true, id, 0});
  return KillTimer(window, id);
}

// Counted as the host asks for each worker, before the worker runs.
std::atomic<int> workersStarted{0};

HANDLE WINAPI RecordCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                                 LPVOID parameter, DWORD flags, LPDWORD id) {
  ++workersStarted;
  return CreateThread(security, stack, start, parameter, flags, id);
}

std::atomic<int> nextStatus{0};
std::atomic<int> checkMs{0};
std::atomic<int> checksRun{0};

std::atomic<std::intptr_t> lastCheckContext{0};

int ScriptedCheck(void* context, DialerWatches&, std::vector<std::string>* notes) {
  if (nextStatus == 2) notes->push_back("dialer not started: WinExec 2 for \"C:\\G3.exe\"");
  lastCheckContext = reinterpret_cast<std::intptr_t>(context);
  ++checksRun;
  if (checkMs) Sleep(checkMs);
  return nextStatus;
}

void WaitForIdleChecks() {
  for (int i = 0; i < 2000 && checkBusy.Busy(); ++i) Sleep(5);
  if (checkBusy.Busy()) ADD_FAILURE() << "a check still runs after 10 s";
}

class TrayHost : public ::testing::Test {
 protected:
  void SetUp() override {
    WaitForIdleChecks();
    notifications.clear();
    shell = Shell();
    ticks = 0;
    timerCalls.clear();
    nextStatus = 0;
    checkMs = 0;
    checksRun = 0;
    workersStarted = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    dir = std::string(temp) + "zemvar_host_test";
    CreateDirectoryA(dir.c_str(), nullptr);
    seams.modulePath = dir + "\\ZemvarHostTest.exe";
    ini = dir + "\\config.ini";
    log = dir + "\\Zemvar.log";
    DeleteFileA(ini.c_str());
    DeleteFileA(log.c_str());
    seams.profile = &profile;
    seams.runKey = &runKey;
    seams.logFiles = &logFiles;
    seams.clock = &clock;
    seams.check = ScriptedCheck;
    seams.notify = RecordNotify;
    seams.setTimer = RecordSetTimer;
    seams.killTimer = RecordKillTimer;
    seams.createThread = RecordCreateThread;
    seams.tickCount = FakeTicks;
    seams.allowMessage = RecordAllow;
    allowed.clear();
  }
  void TearDown() override {
    WaitForIdleChecks();
    Pump(20);
    DeleteFileA(ini.c_str());
    DeleteFileA(log.c_str());
    Win32RunKey key;
    if (key.Open()) key.Remove("ZemvarHostTest");
  }
  int Count(DWORD message) const {
    int n = 0;
    for (auto& c : notifications) n += c.message == message;
    return n;
  }
  int TimersSet(UINT_PTR id, UINT ms) const {
    int n = 0;
    for (auto& c : timerCalls) n += !c.kill && c.id == id && c.ms == ms;
    return n;
  }
  // The events of the log's lines, without their times.
  std::vector<std::string> LoggedEvents() const {
    std::vector<std::string> events;
    HANDLE file = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return events;
    char text[4096] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    std::string all(text, read);
    if (all.compare(0, 3, kUtf8Mark) == 0) all.erase(0, 3);
    for (std::size_t start = 0, end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2) {
      const WideText event = WideFromUtf8(all.substr(start + 20, end - start - 20));
      events.push_back(GbkFromWide(event.data(), event.size() - 1, sizeof text));
    }
    return events;
  }
  std::string dir, ini, log;
  Win32ProfileFile profile;
  Win32RunKey runKey;
  Win32LogFiles logFiles;
  Win32LocalClock clock;
  TrayHostDialog::Seams seams;
};

TEST_F(TrayHost, CreationAddsTheIconChecksAtOnceAndArmsTheTimer) {
  WritePrivateProfileStringA("Setup", "Seconds", "45", ini.c_str());
  TrayHostDialog host(seams);
  ASSERT_TRUE(host.CreateModeless(nullptr));
  EXPECT_FALSE(IsWindowVisible(host.hwnd()));
  ASSERT_EQ(1u, notifications.size());
  const NotifyCall& add = notifications[0];
  EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.message);
  EXPECT_EQ(152u, add.size) << "the Unicode record's first version";
  EXPECT_EQ(host.hwnd(), add.window);
  EXPECT_EQ(129u, add.id);
  EXPECT_EQ(7u, add.flags);
  EXPECT_EQ(1025u, add.callback);
  EXPECT_EQ("G3随e行 Tessaline", add.tip);
  EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), IconWidth(add.icon)) << "the tray shows the small size";
  // Run again at another dpi (tests/win32/at_dpi.sh), the small size is a sixth of it: 24 px at 144.
  if (const char* dpi = std::getenv("ZEMVAR_TEST_DPI")) {
    EXPECT_EQ(std::atoi(dpi) / 6, IconWidth(add.icon));
  }
  const std::vector<std::pair<HWND, UINT>> fromExplorer = {{host.hwnd(), RegisterWindowMessageA("TaskbarCreated")},
                                                           {host.hwnd(), 1025u}};
  EXPECT_EQ(fromExplorer, allowed) << "an elevated tool lets in what Explorer sends it";
  ASSERT_EQ(1u, timerCalls.size());
  EXPECT_EQ(1u, timerCalls[0].id);
  EXPECT_EQ(45000u, timerCalls[0].ms);
  EXPECT_NE(0u, host.timerId());

  // The first check returns 0: nothing to change.
  ASSERT_TRUE(PumpUntil([] { return checksRun.load() == 1 && !checkBusy.Busy(); }));
  Pump(30);
  EXPECT_EQ(1u, notifications.size());

  // The system menu carries the About entry, the window the normal icon.
  HMENU system = GetSystemMenu(host.hwnd(), FALSE);
  char text[64] = {};
  GetMenuStringA(system, IDM_SYS_ABOUT, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ("关于 Zemvar(&A)...", text);
  const HICON normal = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_STATUS_NORMAL));
  EXPECT_EQ(reinterpret_cast<LRESULT>(normal), SendMessageA(host.hwnd(), WM_GETICON, ICON_BIG, 0));
  EXPECT_EQ(reinterpret_cast<LRESULT>(normal), SendMessageA(host.hwnd(), WM_QUERYDRAGICON, 0, 0));
  EXPECT_EQ(GetSystemMetrics(SM_CXSMICON),
            IconWidth(reinterpret_cast<HICON>(SendMessageA(host.hwnd(), WM_GETICON, ICON_SMALL, 0))));
  host.Exit();
  // Without Log=1 there is no log.
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(log.c_str()));
}

TEST_F(TrayHost, AStatusChangeReachesTheTrayOnceAndTheRebuiltTrayGetsTheIconBack) {
  nextStatus = 4;
  TrayHostDialog host(seams);
  ASSERT_TRUE(host.CreateModeless(nullptr));
  ASSERT_TRUE(PumpUntil([this] { return Count(NIM_MODIFY) == 1; }));
  const NotifyCall modify = notifications.back();
  EXPECT_EQ("请插入3G无线网卡", modify.tip);
  EXPECT_NE(notifications[0].icon, modify.icon) << "the alert icon";
  EXPECT_EQ(4, host.lastStatus());

  // The same status again costs no shell call; back to 0 restores the title and the normal icon.
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  ASSERT_TRUE(PumpUntil([] { return checksRun.load() == 2 && !checkBusy.Busy(); }));
  Pump(30);
  EXPECT_EQ(1, Count(NIM_MODIFY));
  nextStatus = 0;
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  ASSERT_TRUE(PumpUntil([this] { return Count(NIM_MODIFY) == 2; }));
  EXPECT_EQ("G3随e行 Tessaline", notifications.back().tip);

  // Explorer restarted: the icon comes back with the status now shown.
  nextStatus = 5;
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  ASSERT_TRUE(PumpUntil([this] { return Count(NIM_MODIFY) == 3; }));
  shell.icons.clear();
  SendMessageA(host.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(2, Count(NIM_ADD));
  EXPECT_EQ(static_cast<DWORD>(NIM_ADD), notifications.back().message);
  EXPECT_EQ("未发现“G3随e行”主窗口", notifications.back().tip);
  EXPECT_EQ(7u, notifications.back().flags);

  // A tick with another id starts no worker: a worker is asked for before the tick's handling returns.
  const int before = workersStarted;
  SendMessageA(host.hwnd(), WM_TIMER, 77, 0);
  EXPECT_EQ(before, workersStarted.load());
  const int afterForeignTick = workersStarted;
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  EXPECT_EQ(afterForeignTick + 1, workersStarted.load()) << "a tick of the host's own timer is counted";

  host.Exit();
  EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), notifications.back().message);
  EXPECT_EQ(static_cast<UINT>(NIF_ICON), notifications.back().flags);
  EXPECT_EQ(0u, host.timerId());
}

TEST_F(TrayHost, SettingsWindowSavesAppliesAndHides) {
  WritePrivateProfileStringA("Setup", "Seconds", "0", ini.c_str());
  TrayHostDialog host(seams);
  ASSERT_TRUE(host.CreateModeless(nullptr));
  EXPECT_EQ(1000u, timerCalls.at(0).ms);  // a stored 0 still reaches the timer as one second

  SendMessageA(host.hwnd(), WM_COMMAND, ID_TRAY_SETTINGS, 0);
  EXPECT_TRUE(IsWindowVisible(host.hwnd()));
  char text[32] = {};
  GetDlgItemTextA(host.hwnd(), IDC_SECONDS, text, sizeof text);
  EXPECT_STREQ("0", text);
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(host.hwnd(), IDC_AUTORUN));

  // First placement: centred on the work area.
  RECT work, window;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(host.hwnd(), &window);
  EXPECT_NEAR((work.left + work.right) / 2, (window.left + window.right) / 2, 1);
  EXPECT_NEAR((work.top + work.bottom) / 2, (window.top + window.bottom) / 2, 1);

  // Escape (the cancel command) only hides; the input stays until the next opening refills it.
  SetDlgItemTextA(host.hwnd(), IDC_SECONDS, "99");
  SendMessageA(host.hwnd(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindowVisible(host.hwnd()));
  EXPECT_EQ(0, GetPrivateProfileIntA("Setup", "Seconds", -9, ini.c_str()));
  EXPECT_EQ(0, host.seconds());
  SendMessageA(host.hwnd(), WM_COMMAND, ID_TRAY_SETTINGS, 0);
  GetDlgItemTextA(host.hwnd(), IDC_SECONDS, text, sizeof text);
  EXPECT_STREQ("0", text);

  // Saving 0 stores 30, a change: the timer restarts with 30 s.
  timerCalls.clear();
  SendMessageA(host.hwnd(), WM_COMMAND, IDC_SAVE, 0);
  EXPECT_FALSE(IsWindowVisible(host.hwnd()));
  EXPECT_EQ(30, GetPrivateProfileIntA("Setup", "Seconds", -9, ini.c_str()));
  ASSERT_EQ(2u, timerCalls.size());
  EXPECT_TRUE(timerCalls[0].kill);
  EXPECT_FALSE(timerCalls[1].kill);
  EXPECT_EQ(30000u, timerCalls[1].ms);

  // Saving the unchanged interval rewrites the file but leaves the timer and its phase alone.
  SendMessageA(host.hwnd(), WM_COMMAND, ID_TRAY_SETTINGS, 0);
  CheckDlgButton(host.hwnd(), IDC_AUTORUN, BST_CHECKED);
  SetDlgItemTextA(host.hwnd(), IDC_SECONDS, "030");
  timerCalls.clear();
  const UINT_PTR timer = host.timerId();
  SendMessageA(host.hwnd(), WM_COMMAND, IDC_SAVE, 0);
  EXPECT_TRUE(timerCalls.empty());
  EXPECT_EQ(timer, host.timerId());
  EXPECT_EQ(1, host.autoRun());
  EXPECT_EQ(1, GetPrivateProfileIntA("Setup", "AutoRun", -9, ini.c_str()));
  Win32RunKey key;
  ASSERT_TRUE(key.Open());
  EXPECT_TRUE(key.Has("ZemvarHostTest"));

  // The Cancel button hides without storing, after a dpi change (Explorer's broadcast) in between.
  SendMessageA(host.hwnd(), WM_COMMAND, ID_TRAY_SETTINGS, 0);
  CheckDlgButton(host.hwnd(), IDC_AUTORUN, BST_UNCHECKED);
  SendMessageA(host.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(IsWindowVisible(host.hwnd()));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(host.hwnd(), IDC_AUTORUN)) << "the user's input stays";
  SendMessageA(host.hwnd(), WM_COMMAND, IDC_DISCARD, 0);
  EXPECT_FALSE(IsWindowVisible(host.hwnd()));
  EXPECT_EQ(1, host.autoRun());
  EXPECT_TRUE(key.Has("ZemvarHostTest"));
  host.Exit();
}

TEST_F(TrayHost, WithTheLogOnItTellsTheStartEachChangeEachSaveAndExitButNoLateStatus) {
  WritePrivateProfileStringA("Setup", "Log", "1", ini.c_str());
  WritePrivateProfileStringA("Setup", "Seconds", "45", ini.c_str());
  nextStatus = 4;
  TrayHostDialog host(seams);
  ASSERT_TRUE(host.CreateModeless(nullptr));
  ASSERT_TRUE(PumpUntil([this] { return Count(NIM_MODIFY) == 1; }));
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  ASSERT_TRUE(PumpUntil([] { return checksRun.load() == 2 && !checkBusy.Busy(); }));
  Pump(30);
  nextStatus = 0;
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  ASSERT_TRUE(PumpUntil([this] { return Count(NIM_MODIFY) == 2; }));

  SendMessageA(host.hwnd(), WM_COMMAND, ID_TRAY_SETTINGS, 0);
  SetDlgItemTextA(host.hwnd(), IDC_SECONDS, "060");
  SendMessageA(host.hwnd(), WM_COMMAND, IDC_SAVE, 0);
  host.Exit();
  // A status that arrives once Exit has begun reaches neither the tray nor the log.
  PostMessageA(host.hwnd(), kCheckDoneMessage, 6, 0);
  Pump(30);
  EXPECT_EQ(2, Count(NIM_MODIFY));
  EXPECT_EQ((std::vector<std::string>{"start AutoRun=0 Seconds=45", "status 4 请插入3G无线网卡",
                                      "status 0 G3随e行 Tessaline", "settings AutoRun=0 Seconds=60", "exit"}),
            LoggedEvents());
}

// Exit while a check runs: the late worker's status must never reach the removed icon, and it must not need
// the host, which is gone by the time the check ends.
TEST_F(TrayHost, ExitDuringARunningCheckNeverTouchesTheRemovedIconOrTheHost) {
  nextStatus = 4;
  int exitedDuringCheck = 0;
  for (int round = 0; round < 60; ++round) {
    notifications.clear();
    checkMs = 30 + (round % 7) * 5;
    HWND window;
    {
      // Each round's checks carry its number, since a late worker of the round before may still run.
      TrayHostDialog::Seams roundSeams = seams;
      roundSeams.checkContext = reinterpret_cast<void*>(static_cast<std::intptr_t>(round + 1));
      auto* host = new TrayHostDialog(roundSeams);
      ASSERT_TRUE(host->CreateModeless(nullptr));
      window = host->hwnd();
      // Even rounds exit once the check is under way, odd ones at once or after a few messages.
      if (round % 2 == 0) {
        // A tick starts another check if the first one found the gate still held.
        ASSERT_TRUE(PumpUntil([&] {
          if (lastCheckContext == round + 1) return true;
          if (!checkBusy.Busy()) SendMessageA(host->hwnd(), WM_TIMER, host->timerId(), 0);
          return false;
        }));
      } else {
        Pump(round % 4);
      }
      if (checkBusy.Busy()) ++exitedDuringCheck;
      host->Exit();
      // Some rounds let the late check's status reach the host between Exit and its end.
      if (round % 3 == 0) {
        WaitForIdleChecks();
        Pump(10);
      }
      // The host goes at once, as the start-up routine's does when its loop ends.
      delete host;
    }
    EXPECT_FALSE(IsWindow(window));
    WaitForIdleChecks();
    Pump(10);
    ASSERT_FALSE(notifications.empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), notifications.back().message) << "round " << round;
  }
  // The race was really run, most rounds with the check still going.
  EXPECT_GE(exitedDuringCheck, 25);
}

// At logon the taskbar may not take the icon for minutes. The host asks again every 2 s for the first
// 2 minutes, then at each check, never holds two icons, and asks nothing once Exit has begun.
TEST_F(TrayHost, AnIconTheShellRefusesIsAskedForAgainUntilItIsTaken) {
  WritePrivateProfileStringA("Setup", "Log", "1", ini.c_str());
  shell.ready = false;
  nextStatus = 4;
  TrayHostDialog host(seams);
  ASSERT_TRUE(host.CreateModeless(nullptr));
  EXPECT_FALSE(host.iconShown());
  EXPECT_EQ(1, TimersSet(kIconRetryTimerId, 2000));
  ASSERT_TRUE(PumpUntil([] { return checksRun.load() == 1 && !checkBusy.Busy(); }));
  Pump(20);
  EXPECT_EQ(4, host.lastStatus()) << "statuses go on while the icon waits";

  // Ten minutes of refusals: every 2 s for two minutes, then only at the checks.
  for (ticks = 2000; ticks <= 600000; ticks += 2000) {
    if (ticks < 120000) SendMessageA(host.hwnd(), WM_TIMER, kIconRetryTimerId, 0);
    if (ticks % 30000 == 0) SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
    ASSERT_TRUE(shell.icons.empty());
  }
  EXPECT_EQ(60, TimersSet(kIconRetryTimerId, 2000)) << "the 2-s retry runs for the first two minutes only";
  const int addsBefore = Count(NIM_ADD);
  shell.ready = true;
  WaitForIdleChecks();
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  EXPECT_TRUE(host.iconShown());
  EXPECT_EQ(addsBefore + 1, Count(NIM_ADD));
  ASSERT_EQ(1u, shell.icons.size());
  EXPECT_EQ("请插入3G无线网卡", notifications.back().tip) << "the icon comes with the status now shown";

  // A stray retry tick and Explorer's broadcast while the icon is there add no second one.
  SendMessageA(host.hwnd(), WM_TIMER, kIconRetryTimerId, 0);
  SendMessageA(host.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(1u, shell.icons.size());

  // The shell forgets the icon: the next status change finds out and adds it again.
  shell.icons.clear();
  WaitForIdleChecks();
  nextStatus = 0;
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  ASSERT_TRUE(PumpUntil([] { return shell.icons.size() == 1; }));
  EXPECT_EQ("G3随e行 Tessaline", notifications.back().tip);

  // Explorer's broadcast, many times, while a refused add is retried (the usual logon case): one icon,
  // and the retry stops with the add that took it.
  shell.icons.clear();
  shell.ready = false;
  SendMessageA(host.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  shell.ready = true;
  for (int i = 0; i < 3; ++i) SendMessageA(host.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(1u, shell.icons.size());
  const auto retry = std::find_if(timerCalls.rbegin(), timerCalls.rend(),
                                  [](const TimerCall& c) { return c.id == kIconRetryTimerId; });
  ASSERT_NE(timerCalls.rend(), retry);
  EXPECT_TRUE(retry->kill) << "the 2-s retry outlived the add that took the icon";

  // Exit while an add is being retried: no add follows it.
  shell.icons.clear();
  shell.ready = false;
  SendMessageA(host.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  host.Exit();
  const std::size_t atExit = notifications.size();
  SendMessageA(host.hwnd(), WM_TIMER, kIconRetryTimerId, 0);
  SendMessageA(host.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(atExit, notifications.size());
  const std::vector<std::string> events = LoggedEvents();
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ("tray icon refused: error 1460; asking again every 2 s", events[1]);
  EXPECT_NE(events.end(), std::find(events.begin(), events.end(),
                                    "tray icon still refused: error 1460; asking again at each check"));
  EXPECT_NE(events.end(), std::find(events.begin(), events.end(), "tray icon taken after 77 refusals"));
  EXPECT_NE(events.end(), std::find(events.begin(), events.end(), "tray icon lost: error 1460"));
  EXPECT_NE(events.end(), std::find(events.begin(), events.end(), "tray icon taken after 1 refusals"));
}

bool aboutOutlived = false;
BOOL CALLBACK CancelOwned(HWND window, LPARAM) {
  if (GetWindow(window, GW_OWNER)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}
void CALLBACK CloseAboutLate(HWND, UINT, UINT_PTR, DWORD) {
  aboutOutlived = true;
  EnumThreadWindows(GetCurrentThreadId(), CancelOwned, 0);
}

// Logoff: once Windows asks, nothing starts; a cancelled end lets checks go on; the real end takes the
// icon away and ends the loop at once, with the About box open or not.
TEST_F(TrayHost, TheSessionsEndStartsNothingAndEndsTheToolAtOnce) {
  WritePrivateProfileStringA("Setup", "Log", "1", ini.c_str());
  TrayHostDialog host(seams);
  ASSERT_TRUE(host.CreateModeless(nullptr));
  WaitForIdleChecks();
  const int started = workersStarted;
  EXPECT_EQ(TRUE, SendMessageA(host.hwnd(), WM_QUERYENDSESSION, 0, 0)) << "the tool never holds up a logoff";
  EXPECT_TRUE(launchesHeld.load());
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  SendMessageA(host.hwnd(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_EQ(started, workersStarted.load());

  SendMessageA(host.hwnd(), WM_ENDSESSION, FALSE, 0);
  EXPECT_FALSE(launchesHeld.load());
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  EXPECT_EQ(started + 1, workersStarted.load());
  WaitForIdleChecks();

  // The real end comes while the settings window and the About box are open.
  SendMessageA(host.hwnd(), WM_COMMAND, ID_TRAY_SETTINGS, 0);
  SendMessageA(host.hwnd(), WM_QUERYENDSESSION, 0, 0);
  PostMessageA(host.hwnd(), WM_COMMAND, ID_TRAY_ABOUT, 0);
  PostMessageA(host.hwnd(), WM_ENDSESSION, TRUE, 0);
  // Should the About box stay, this closes it after 10 s so that the test fails instead of hanging.
  aboutOutlived = false;
  const UINT_PTR guard = SetTimer(nullptr, 0, 10000, CloseAboutLate);
  host.RunModalLoop();
  KillTimer(nullptr, guard);
  EXPECT_FALSE(aboutOutlived) << "the About box held the tool past the session's end";
  EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), notifications.back().message);
  EXPECT_TRUE(shell.icons.empty());
  launchesHeld = false;
  const std::vector<std::string> events = LoggedEvents();
  EXPECT_EQ((std::vector<std::string>{"start AutoRun=0 Seconds=30", "session ending", "session end cancelled",
                                      "session ending", "session end", "exit"}),
            events);
}

// Back from sleep, one check soon, however many resumes arrive, and none while a check runs.
TEST_F(TrayHost, AResumeStormStartsOneCheckAfterTheGrace) {
  WritePrivateProfileStringA("Setup", "Seconds", "600", ini.c_str());
  TrayHostDialog host(seams);
  ASSERT_TRUE(host.CreateModeless(nullptr));
  WaitForIdleChecks();
  const int started = workersStarted;
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(TRUE, SendMessageA(host.hwnd(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0));
  }
  SendMessageA(host.hwnd(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);  // the user's, after the automatic one
  EXPECT_EQ(started, workersStarted.load()) << "the card needs its grace first";
  EXPECT_EQ(20, TimersSet(kResumeTimerId, 5000)) << "each resume only moves the one grace timer";
  ASSERT_TRUE(PumpUntil([&] { return workersStarted.load() == started + 1; }, 10000));
  Pump(200);
  EXPECT_EQ(started + 1, workersStarted.load());
  EXPECT_EQ(1, TimersSet(1, 600000)) << "the check timer keeps its interval";

  // A resume while a check runs adds none.
  checkMs = 300;
  SendMessageA(host.hwnd(), WM_TIMER, host.timerId(), 0);
  ASSERT_TRUE(PumpUntil([] { return checkBusy.Busy(); }));
  SendMessageA(host.hwnd(), WM_TIMER, kResumeTimerId, 0);
  EXPECT_EQ(started + 2, workersStarted.load());
  host.Exit();
}

UINT_PTR WINAPI FailingSetTimer(HWND, UINT_PTR, UINT, TIMERPROC) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return 0;
}
HANDLE WINAPI FailingCreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

// With Log=1 the failures a user cannot see otherwise are written down, with Windows' numbers.
TEST_F(TrayHost, WithTheLogOnFailuresAreToldWithTheirErrors) {
  WritePrivateProfileStringA("Setup", "Log", "1", ini.c_str());
  struct RefusingProfile : Win32ProfileFile {
    bool Write(const std::string&, const char*, const char*, const char*) override {
      lastError_ = ERROR_ACCESS_DENIED;
      return false;
    }
  } profile;
  seams.profile = &profile;
  seams.setTimer = FailingSetTimer;
  seams.createThread = FailingCreateThread;
  seams.allowMessage = RefuseAllow;
  {
    TrayHostDialog host(seams);
    ASSERT_TRUE(host.CreateModeless(nullptr));
    SendMessageA(host.hwnd(), WM_COMMAND, ID_TRAY_SETTINGS, 0);
    SetDlgItemTextA(host.hwnd(), IDC_SECONDS, "45");
    SendMessageA(host.hwnd(), WM_COMMAND, IDC_SAVE, 0);
    // A check's notes reach the log before its status.
    PostMessageA(host.hwnd(), kCheckDoneMessage, 2,
                 reinterpret_cast<LPARAM>(new std::vector<std::string>{"dialer not started: WinExec 2"}));
    Pump(20);
    host.Exit();
  }
  EXPECT_EQ(-9, GetPrivateProfileIntA("Setup", "Seconds", -9, ini.c_str())) << "the save wrote nothing";
  EXPECT_EQ((std::vector<std::string>{"start AutoRun=0 Seconds=30", "TaskbarCreated not let in from Explorer: error 5",
                                      "the icon's clicks not let in from Explorer: error 5",
                                      "check thread not started: error 8",
                                      "check timer not started: error 8", "check timer not started: error 8",
                                      "settings AutoRun=0 Seconds=45 in use but not saved: config.ini error 5",
                                      "dialer not started: WinExec 2",
                                      "status 2 启动“G3随e行”失败", "exit"}),
            LoggedEvents());
}

}  // namespace
}  // namespace zemvar
