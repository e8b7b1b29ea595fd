// Prints the tray's tooltip texts as the program has them, one line per status in the program's code page
// (GBK), so that the release test can hold the guide against them rather than against a copy of its own.
#include <cstdio>

#include "tray/tray_rules.h"

int main() {
  for (int status = 0; status < zemvar::kStatusCount; ++status) std::printf("%s\n", zemvar::StatusText(status));
  return 0;
}
