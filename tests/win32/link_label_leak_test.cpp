// A blinking gradient label repainted tens of thousands of times must not leak GDI objects or memory.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "about/win32_link_label.h"

namespace zemvar {
namespace {

constexpr int kLabelId = 100;

INT_PTR CALLBACK QuietParent(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND CreateHostDialog() {
  std::vector<WORD> t;
  auto push = [&t](DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
  };
  push(WS_POPUP | DS_SETFONT);
  push(0);
  t.insert(t.end(), {1, 0, 0, 200, 60, 0, 0, 0, 8});
  for (const wchar_t* c = L"Tahoma"; *c; ++c) t.push_back(*c);
  t.push_back(0);
  if (t.size() % 2) t.push_back(0);
  push(WS_CHILD | WS_VISIBLE | SS_LEFT);
  push(0);
  t.insert(t.end(), {5, 5, 180, 20, kLabelId, 0xFFFF, 0x0082, 0, 0});
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.data()),
                                           nullptr, QuietParent, 0);
  SetWindowPos(dialog, HWND_TOP, 40, 40, 320, 100, SWP_NOACTIVATE);
  MoveWindow(GetDlgItem(dialog, kLabelId), 10, 10, 250, 30, FALSE);
  ShowWindow(dialog, SW_SHOWNOACTIVATE);
  UpdateWindow(dialog);
  return dialog;
}

// The working set Windows reports, in kilobytes; under Wine it is the process's resident memory.
long WorkingSetKb() {
  struct Counters {
    DWORD cb;
    DWORD PageFaultCount;
    SIZE_T PeakWorkingSetSize, WorkingSetSize, QuotaPeakPagedPoolUsage, QuotaPagedPoolUsage,
        QuotaPeakNonPagedPoolUsage, QuotaNonPagedPoolUsage, PagefileUsage, PeakPagefileUsage;
  } counters{};
  counters.cb = sizeof counters;
  // Loaded by name: the import library would need a newer Windows target than the product's.
  using Query = BOOL(WINAPI*)(HANDLE, Counters*, DWORD);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
  if (!query || !query(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  return static_cast<long>(counters.WorkingSetSize / 1024);
}

void Drain() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

TEST(LinkLabelLeaks, TwentyThousandBlinkingGradientRepaintsKeepGdiAndMemoryFlat) {
  HWND dialog = CreateHostDialog();
  HWND control = GetDlgItem(dialog, kLabelId);
  LinkLabel label;
  ASSERT_TRUE(label.Attach(control));
  label.SetLabelText("support@zemvar.org")
      .SetBackgroundFill(RGB(0, 0, 80), RGB(0, 160, 255), TRUE)
      .SetForegroundColor(RGB(255, 255, 255))
      .SetUnderlined(TRUE)
      .SetEmbossed(TRUE, TRUE);
  label.EnableTextBlink(TRUE);

  constexpr int kWarmUp = 2000;
  constexpr int kRepaints = 20000;
  long warm = -1;
  const DWORD start = GetTickCount();
  DWORD warmAt = start;
  for (int i = 1; i <= kRepaints; ++i) {
    // A tick: the phase flips, and the label and the parent under it repaint at once.
    SendMessageA(control, WM_TIMER, LinkLabel::BLINK_TIMER_ID, 0);
    if (i % 500 == 0) Drain();
    if (i == kWarmUp) {
      warm = WorkingSetKb();
      warmAt = GetTickCount();
    }
  }
  const DWORD elapsed = GetTickCount() - start;
  const long end = WorkingSetKb();
  std::printf("[ figures  ] %d blinking gradient repaints in %lu ms (%.1f us each)\n", kRepaints,
              static_cast<unsigned long>(elapsed), 1000.0 * elapsed / kRepaints);
  std::printf("[ figures  ] working set after %d repaints %ld kB, after %d %ld kB: %+ld kB in %lu ms\n", kWarmUp,
              warm, kRepaints, end, end - warm, static_cast<unsigned long>(GetTickCount() - warmAt));
  // A leaked 250 x 30 bitmap per paint alone would be over 500 MB; a leaked brush or DC some MB.
  ASSERT_GT(warm, 0) << "no memory figure to compare";
  EXPECT_LT(end - warm, 1024);

  // GDI still hands out objects of every kind the label uses.
  std::vector<HGDIOBJ> objects;
  HDC screen = GetDC(control);
  for (int i = 0; i < 300; ++i) {
    objects.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    objects.push_back(CreateCompatibleBitmap(screen, 250, 30));
    objects.push_back(CreateFontIndirectA(&label.logFont()));
  }
  HDC memory = CreateCompatibleDC(screen);
  EXPECT_NE(memory, nullptr);
  DeleteDC(memory);
  ReleaseDC(control, screen);
  int failed = 0;
  for (HGDIOBJ object : objects) {
    if (!object) ++failed;
    DeleteObject(object);
  }
  EXPECT_EQ(failed, 0);
  DestroyWindow(dialog);
}

TEST(LinkLabelLeaks, LabelsFreeTheirFontsAndBrushes) {
  HWND dialog = CreateHostDialog();
  HWND control = GetDlgItem(dialog, kLabelId);
  constexpr int kLabels = 2000;
  long warm = -1;
  for (int i = 1; i <= kLabels; ++i) {
    LinkLabel label;
    label.Attach(control);
    label.SetBold(TRUE).SetBackgroundFill(RGB(i & 0xFF, 0, 0), 0, FALSE).SetBackgroundFill(RGB(0, i & 0xFF, 0), 0,
                                                                                           FALSE);
    if (i == 500) warm = WorkingSetKb();
  }
  const long end = WorkingSetKb();
  std::printf("[ figures  ] %d labels made and freed: working set %+ld kB after the first 500\n", kLabels,
              end - warm);
  ASSERT_GT(warm, 0);
  EXPECT_LT(end - warm, 1024);
  HBRUSH probe = CreateSolidBrush(0);
  EXPECT_NE(probe, nullptr);
  DeleteObject(probe);
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace zemvar
