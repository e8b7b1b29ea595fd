// The threads runtime that the static C++ library brings along imports GetTickCount64, which Windows XP
// does not have, so the program would not even load there. This definition of its import slot wins over
// kernel32's: the call goes to the system's function where there is one, and to a 64-bit count built on
// GetTickCount where there is not.
#include <windows.h>

#include "tick_count.h"

namespace {

ULONGLONG WINAPI TickCount64() {
  using Fn = ULONGLONG(WINAPI*)();
  static Fn system = reinterpret_cast<Fn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
  if (system) return system();
  static std::atomic<std::uint64_t> last{0};
  return zemvar::WidenTickCount(last, GetTickCount());
}

}  // namespace

extern "C" {
void* zemvarGetTickCount64Slot __asm__("__imp__GetTickCount64@0") = reinterpret_cast<void*>(&TickCount64);
}
