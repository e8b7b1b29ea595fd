// Waiting in the Win32 tests: the test thread keeps dispatching its windows' messages while it waits.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace zemvar::testing {

// Dispatches messages for about `milliseconds`.
void Pump(DWORD milliseconds);

// Dispatches messages until `done` answers true; false when `milliseconds` passed first.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000);

// The first bytes of a file that another program is to write, once it has written something; empty
// when nothing came within `milliseconds`.
std::string ReadWhenWritten(const std::string& path, DWORD milliseconds);

}  // namespace zemvar::testing
