// desktop_keeper.exe: holds Wine's default desktop for a whole run of the
// Windows tests. Wine starts the desktop's own process (explorer.exe
// /desktop) for the first program that needs the desktop, and that process
// inherits the program's output; it ends a few seconds after the last program
// on the desktop. Started by a test, it would keep CTest waiting for the end
// of that test's output as long as any other test used the desktop, and the
// next test would meet a desktop that is going away. Started here, by the
// test harness with its output in a file, it stays up until the harness ends
// the prefix's programs (wineserver -k). It inherits nothing of the harness
// but its output file, so that no test program inherits anything of it.
#include <windows.h>

#include <cstdio>

int wmain() {
  // Starts the desktop's process now, from this program, if it is not running.
  if (GetDesktopWindow() == nullptr) {
    std::printf("no desktop\n");
    return 1;
  }
  std::printf("desktop kept\n");
  std::fflush(stdout);
  // Nothing sets this event: the program waits to be ended.
  HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  WaitForSingleObject(never, INFINITE);
  return 0;
}
