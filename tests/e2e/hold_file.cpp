// hold-file PATH: holds PATH open for reading, sharing reading only, until killed. Others may read the file
// but none may write it (a sharing violation, error 32), as when an editor or a backup tool has it open.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::printf("not held: error %lu\n", GetLastError());
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(INFINITE);
}
