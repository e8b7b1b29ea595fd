#include "message_pump.h"

namespace zemvar::testing {

void Pump(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  while (!done()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    Pump(5);
  }
  return true;
}

std::string ReadWhenWritten(const std::string& path, DWORD milliseconds) {
  std::string text;
  PumpUntil(
      [&] {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        char buffer[256] = {};
        DWORD read = 0;
        ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
        CloseHandle(file);
        text.assign(buffer, read);
        return read > 0;
      },
      milliseconds);
  return text;
}

}  // namespace zemvar::testing
